// Text encryption and hexadecimal text, checked against OpenSSL's AES-128-ECB under the
// pass-phrase key (its 11 bytes and 5 zero bytes) and against a plain reading of hex digits.
#include <gtest/gtest.h>

#include <cstdio>
#include <random>
#include <stdexcept>
#include <string>
#include <vector>

#include "hostseal/cipher/hex_text.hpp"
#include "hostseal/cipher/pass_phrase.hpp"
#include "hostseal/cipher/rijndael.hpp"
#include "hostseal/common/utf8.hpp"
#include "tests/support/openssl_ecb.hpp"
#include "tests/support/recording_sink.hpp"
#include "tests/support/scoped_code_page.hpp"

namespace hostseal {
namespace {

std::vector<Byte> OpenSslEcbEncrypt(const std::vector<Byte>& key, std::vector<Byte> data) {
  data.resize((data.size() + 15) / 16 * 16, 0);
  return testing::OpenSslEcb(true, key, data.data(), data.size());
}

std::vector<Byte> PassPhraseKey() {
  std::vector<Byte> key(16, 0);
  for (std::size_t i = 0; i < 11; ++i) key[i] = static_cast<Byte>(kBuiltInPassPhrase[i]);
  return key;
}

// Upper-case digit pairs, two spaces between groups of `group` bytes, built here with printf.
std::u16string Hex(const std::vector<Byte>& bytes, std::size_t group = 16) {
  std::string out;
  char pair[3];
  for (std::size_t i = 0; i < bytes.size(); ++i) {
    if (i != 0 && i % group == 0) out += "  ";
    std::snprintf(pair, sizeof pair, "%02X", bytes[i]);
    out += pair;
  }
  return FromUtf8(out);
}

// The block operations run under the key that OpenSSL gets.
bool KeyInForce(const cRijndael& c, const std::vector<Byte>& key) {
  const std::vector<Byte> block = {1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15, 16};
  ByteArray out;
  c.ArrayEncrypt(ByteArray(block), out, 0);
  return out.Bytes() == OpenSslEcbEncrypt(key, block);
}

std::u16string RandomText(std::mt19937& rng, std::size_t n, bool cjkOnly) {
  std::u16string text;
  while (text.size() < n) {
    const unsigned kind = rng() % 4;
    if (kind < 2) text += static_cast<char16_t>(1 + rng() % 0x7F);
    if (kind == 2) text += static_cast<char16_t>(0x4E00 + rng() % (0x9FA6 - 0x4E00));
    if (kind == 3) text += cjkOnly ? u"\u00E9" : u"\U0001F600";
  }
  return text;
}

TEST(RijndaelText, EncryptIsAes128EcbUnderThePassPhraseKey) {
  testing::RecordingSink sink;
  cRijndael c(sink);
  testing::ScopedCodePage utf8(65001);
  std::mt19937 rng(5);
  for (std::size_t n = 0; n <= 40; ++n) {
    const std::u16string text = RandomText(rng, n, false);
    const std::string bytes = ToUtf8(text);
    EXPECT_EQ(
        c.Encrypt(text),
        Hex(OpenSslEcbEncrypt(PassPhraseKey(), std::vector<Byte>(bytes.begin(), bytes.end()))));
  }
  EXPECT_EQ(c.Encrypt(u""), u"");
  // Whatever key was set before, Encrypt leaves the pass-phrase key in force.
  c.SetCipherKey(ByteArray(std::vector<Byte>(32, 0x5A)), 256);
  c.Encrypt(u"x");
  EXPECT_TRUE(KeyInForce(c, PassPhraseKey()));
  EXPECT_TRUE(sink.messages.empty());
}

TEST(RijndaelText, RandomTextRoundTripsUnder65001And936) {
  testing::RecordingSink sink;
  cRijndael c(sink);
  std::mt19937 rng(6);
  for (std::int32_t cp : {65001, 936}) {
    testing::ScopedCodePage scoped(cp);
    for (int round = 0; round < 200; ++round) {
      const std::u16string text = RandomText(rng, 1 + rng() % 70, cp == 936);
      EXPECT_EQ(c.Decrypt(c.Encrypt(text)), text) << cp;
    }
  }
  EXPECT_EQ(c.Decrypt(c.Encrypt(std::u16string(u"ab\0cd", 5))), u"ab");
  EXPECT_TRUE(sink.messages.empty());
}

TEST(RijndaelText, DecryptFailuresGiveEmptyTextAndKeepTheCallersKey) {
  testing::RecordingSink sink;
  cRijndael c(sink);
  const std::vector<Byte> callerKey(32, 0x33);
  for (const char16_t* noDigits : {u"", u"7", u" xyz  zy ", u"\u4E30\u6F41\u4E31"}) {
    c.SetCipherKey(ByteArray(callerKey), 256);
    sink.messages.clear();
    EXPECT_EQ(c.Decrypt(noDigits), u"");
    EXPECT_EQ(sink.messages, std::vector<std::u16string>{u"Text not Hex data"});
    EXPECT_TRUE(KeyInForce(c, callerKey));
  }
  sink.messages.clear();
  EXPECT_EQ(c.Decrypt(std::u16string(30, u'A')), u"");
  EXPECT_EQ(sink.messages,
            std::vector<std::u16string>{u"ciphertext size not a multiple of block size"});
  EXPECT_TRUE(KeyInForce(c, PassPhraseKey()));  // digits were found, so the key was set

  struct ThrowingSink : MessageSink {
    void Show(std::u16string_view) override { throw std::runtime_error("closed"); }
  } throwing;
  cRijndael guarded(throwing);
  EXPECT_EQ(guarded.Decrypt(u"xyz"), u"");
  EXPECT_EQ(guarded.Decrypt(std::u16string(30, u'A')), u"");
}

TEST(HexText, LengthsGroupsAndDigitsForEveryShortLength) {
  std::mt19937 rng(9);
  for (std::size_t n = 1; n <= 100; ++n) {
    std::vector<Byte> bytes(n);
    for (Byte& b : bytes) b = static_cast<Byte>(rng());
    for (std::size_t group : {1, 2, 3, 7, 16, 100}) {
      const std::u16string hex = BytesToHexText(bytes, group);
      ASSERT_EQ(hex.size(), 2 * n + 2 * ((n - 1) / group));
      ASSERT_EQ(HexTextLength(n, group), hex.size());
      ASSERT_EQ(hex, Hex(bytes, group));
      ASSERT_EQ(HexTextToBytes(hex), bytes);
    }
  }
  const std::vector<Byte> spot = {0x00, 0x0F, 0xA5};
  EXPECT_EQ(BytesToHexText(spot, 16), u"000FA5");
  EXPECT_EQ(BytesToHexText(spot, 2), u"000F  A5");
}

// Decrypt reads its digits so: lower and upper case, anything between them, CJK characters
// whose low eight bits would read as digits, and an odd digit at the end left out.
TEST(HexText, ReadingAgreesWithAPlainScanOfNoisyText) {
  const std::u16string alphabet =
      u"0123456789abcdefABCDEF  \n-xG\u4E30\u6F41\u0130\u0141\uFF10\u8061";
  std::mt19937 rng(10);
  for (int round = 0; round < 2000; ++round) {
    std::u16string text;
    const bool mostlyDigits = round % 2 == 0;
    for (std::size_t n = rng() % 300; n > 0; --n) {
      text += alphabet[rng() % (mostlyDigits && rng() % 20 != 0 ? 22 : alphabet.size())];
    }
    std::vector<Byte> expected;
    int high = -1;
    for (char16_t ch : text) {
      const std::size_t at = alphabet.find(ch);
      if (at >= 22) continue;
      const int v = at < 16 ? static_cast<int>(at) : static_cast<int>(at) - 6;
      if (high < 0) {
        high = v;
      } else {
        expected.push_back(static_cast<Byte>(high * 16 + v));
        high = -1;
      }
    }
    ASSERT_EQ(HexTextToBytes(text), expected) << ToUtf8(text);
  }
}

}  // namespace
}  // namespace hostseal
