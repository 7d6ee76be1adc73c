// The failures of SetCipherKey, keys longer or shorter than the key length, and pass phrases.
// The expansion itself is held to FIPS-197 and OpenSSL by the known answers.
#include <gtest/gtest.h>

#include <cstdint>
#include <vector>

#include "hostseal/common/raised_error.hpp"
#include "tests/cipher/rijndael_test_access.hpp"
#include "tests/support/cipher_test_support.hpp"

namespace hostseal {
namespace {

using Access = cRijndaelTestAccess;

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
  // The same round keys and rounds, and nothing of the longer key stays behind: the words
  // beyond the new schedule are zero.
  EXPECT_EQ(Access::NumRounds(reused), Access::NumRounds(fresh));
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
