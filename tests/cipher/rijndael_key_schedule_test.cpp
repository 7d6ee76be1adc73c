// Key expansion against FIPS-197 Appendix A, the decryption keys, and the failures of
// SetCipherKey.
#include <gtest/gtest.h>

#include <cstdint>
#include <vector>

#include "hostseal/common/raised_error.hpp"
#include "tests/cipher/rijndael_test_access.hpp"
#include "tests/support/cipher_test_support.hpp"

namespace hostseal {
namespace {

using Access = cRijndaelTestAccess;
using testing::FromHex;
using testing::HexArray;

// A word as FIPS-197 prints it (first byte most significant), packed first byte least
// significant as the cipher keeps it.
std::uint32_t Packed(std::uint32_t fipsWord) {
  return __builtin_bswap32(fipsWord);
}

TEST(RijndaelKeySchedule, Fips197AppendixA128) {
  cRijndael c;
  EXPECT_EQ(c.SetCipherKey(HexArray("2b7e151628aed2a6abf7158809cf4f3c"), 128), 0);
  const auto& w = Access::EncRoundKey(c);
  EXPECT_EQ(Access::NumRounds(c), 10);
  EXPECT_EQ(w[0], Packed(0x2b7e1516));
  EXPECT_EQ(w[4], 0x17FEFAA0u);
  EXPECT_EQ(w[5], Packed(0x88542cb1));
  EXPECT_EQ(w[6], Packed(0x23a33939));
  EXPECT_EQ(w[7], Packed(0x2a6c7605));
  EXPECT_EQ(w[40], Packed(0xd014f9a8));
  EXPECT_EQ(w[41], Packed(0xc9ee2589));
  EXPECT_EQ(w[42], Packed(0xe13f0cc8));
  EXPECT_EQ(w[43], 0xA60C63B6u);
}

TEST(RijndaelKeySchedule, Fips197AppendixA192And256) {
  cRijndael c;
  EXPECT_EQ(c.SetCipherKey(HexArray("8e73b0f7da0e6452c810f32b809079e562f8ead2522c6b7b"), 192), 0);
  EXPECT_EQ(Access::NumRounds(c), 12);
  EXPECT_EQ(Access::EncRoundKey(c)[6], Packed(0xfe0c91f7));
  EXPECT_EQ(Access::EncRoundKey(c)[51], 0x02220001u);

  EXPECT_EQ(c.SetCipherKey(
                HexArray("603deb1015ca71be2b73aef0857d77811f352c073b6108d72d9810a30914dff4"), 256),
            0);
  EXPECT_EQ(Access::NumRounds(c), 14);
  EXPECT_EQ(Access::EncRoundKey(c)[8], Packed(0x9ba35411));
  EXPECT_EQ(Access::EncRoundKey(c)[59], 0x1E636C70u);
}

TEST(RijndaelKeySchedule, DecryptionKeysAreTheEncryptionKeysReversed) {
  for (int bits : {128, 192, 256}) {
    SCOPED_TRACE(bits);
    cRijndael c;
    c.SetCipherKey(ByteArray(testing::Sequence(32, 0x40)), bits);
    const int nr = Access::NumRounds(c);
    const auto& enc = Access::EncRoundKey(c);
    const auto& dec = Access::DecRoundKey(c);
    for (int i = 0; i < 4; ++i) {
      EXPECT_EQ(dec[i], enc[4 * nr + i]);
      EXPECT_EQ(dec[4 * nr + i], enc[i]);
    }
  }
}

TEST(RijndaelKeySchedule, IllegalKeyBitsRaiseAndKeepTheEarlierKey) {
  cRijndael c;
  c.SetCipherKey(ByteArray(testing::Sequence(16)), 128);
  const auto before = Access::EncRoundKey(c);
  for (int bits : {0, 64, 160, 224, 512, -128}) {
    try {
      c.SetCipherKey(ByteArray(testing::Sequence(64)), bits);
      ADD_FAILURE() << "no error for " << bits;
    } catch (const RaisedError& e) {
      EXPECT_EQ(e.Number(), 1);
      EXPECT_EQ(e.Description(), "cRijndael.SetCipherKey - Illegal KeyBits Value");
    }
    EXPECT_THROW(c.SetCipherKeyString(u"pass", bits), RaisedError);
  }
  EXPECT_EQ(Access::NumRounds(c), 10);
  EXPECT_EQ(Access::EncRoundKey(c), before);
}

TEST(RijndaelKeySchedule, ShortOrEmptyKeyArraysRaiseIndexErrorsAndChangeNothing) {
  cRijndael c;
  c.SetCipherKey(ByteArray(testing::Sequence(16)), 128);
  const auto enc = Access::EncRoundKey(c);
  const auto dec = Access::DecRoundKey(c);
  for (const auto& [size, bits] : {std::pair{0, 128}, {15, 128}, {23, 192}, {31, 256}}) {
    try {
      c.SetCipherKey(ByteArray(testing::Sequence(static_cast<std::size_t>(size))), bits);
      ADD_FAILURE() << size << " bytes for " << bits << " bits";
    } catch (const RaisedError& e) {
      EXPECT_EQ(e.Number(), 9);
    }
  }
  // A key that does not start at index 0 is read from index 0 of its own index space.
  EXPECT_THROW(c.SetCipherKey(ByteArray(testing::Sequence(32), 1), 256), RaisedError);
  EXPECT_EQ(Access::EncRoundKey(c), enc);
  EXPECT_EQ(Access::DecRoundKey(c), dec);
  EXPECT_EQ(Access::NumRounds(c), 10);
  // From index -4, index 0 is the fifth byte.
  cRijndael shifted;
  shifted.SetCipherKey(ByteArray(testing::Sequence(20), -4), 128);
  cRijndael plain;
  plain.SetCipherKey(ByteArray(testing::Sequence(16, 4)), 128);
  EXPECT_EQ(Access::EncRoundKey(shifted), Access::EncRoundKey(plain));
}

TEST(RijndaelKeySchedule, ShorterKeyAfterLongerKeyActsLikeAFreshObject) {
  cRijndael reused;
  reused.SetCipherKey(ByteArray(testing::Sequence(32, 0x80)), 256);
  reused.SetCipherKey(ByteArray(testing::Sequence(16)), 128);
  cRijndael fresh;
  fresh.SetCipherKey(ByteArray(testing::Sequence(16)), 128);
  ByteArray plain(testing::Sequence(64, 3));
  ByteArray a;
  ByteArray b;
  reused.ArrayEncrypt(plain, a, 1);
  fresh.ArrayEncrypt(plain, b, 1);
  EXPECT_EQ(a, b);
  // Nothing of the longer key stays behind: the words beyond the new schedule are zero.
  EXPECT_EQ(Access::EncRoundKey(reused), Access::EncRoundKey(fresh));
  EXPECT_EQ(Access::DecRoundKey(reused), Access::DecRoundKey(fresh));
  for (std::size_t i = 44; i < 60; ++i) {
    EXPECT_EQ(Access::EncRoundKey(reused)[i], 0u) << i;
    EXPECT_EQ(Access::DecRoundKey(reused)[i], 0u) << i;
  }
}

// The round keys in use after keying a fresh object with `key`.
std::vector<std::uint32_t> RoundKeys(const std::vector<Byte>& key, int bits) {
  cRijndael c;
  c.SetCipherKey(ByteArray(key), bits);
  const auto& w = Access::EncRoundKey(c);
  return {w.begin(), w.begin() + 4 * (Access::NumRounds(c) + 1)};
}

std::vector<std::uint32_t> PhraseRoundKeys(const std::u16string& phrase, int bits) {
  cRijndael c;
  EXPECT_EQ(c.SetCipherKeyString(phrase, bits), 0);
  const auto& w = Access::EncRoundKey(c);
  return {w.begin(), w.begin() + 4 * (Access::NumRounds(c) + 1)};
}

TEST(RijndaelKeySchedule, ExtraKeyBytesAreIgnoredAndPassPhrasesArePadded) {
  EXPECT_EQ(RoundKeys(testing::Sequence(40), 256), RoundKeys(testing::Sequence(32), 256));

  std::vector<Byte> hello = {'h', 'e', 'l', 'l', 'o'};
  hello.resize(16, 0);
  EXPECT_EQ(PhraseRoundKeys(u"hello", 128), RoundKeys(hello, 128));

  const std::u16string longPhrase = u"0123456789abcdefghijklmnopqrstuvwxyzABCD";
  EXPECT_EQ(PhraseRoundKeys(longPhrase, 256),
            RoundKeys(std::vector<Byte>(longPhrase.begin(), longPhrase.begin() + 32), 256));
  EXPECT_EQ(PhraseRoundKeys(u"", 192), RoundKeys(std::vector<Byte>(24, 0), 192));
}

}  // namespace
}  // namespace hostseal
