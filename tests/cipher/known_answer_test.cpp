// Known answers checked in under tests/data, written once by tests/data/make_vectors.py with
// the openssl and iconv commands: AES blocks, array framings of every length up to 100, and
// hexadecimal texts with their code-page bytes. Checked on every AES path this processor has,
// with neither oracle at hand, so that builds without OpenSSL or iconv check the same answers.
// The code pages themselves are held to iconv and to Windows by tests/text.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <map>
#include <set>
#include <string>
#include <utility>
#include <vector>

#include "hostseal/cipher/hex_text.hpp"
#include "hostseal/cipher/pass_phrase.hpp"
#include "hostseal/cipher/rijndael.hpp"
#include "hostseal/common/utf8.hpp"
#include "hostseal/text/code_page.hpp"
#include "tests/cipher/aes_path_test.hpp"
#include "tests/support/known_answer_file.hpp"
#include "tests/support/recording_sink.hpp"
#include "tests/support/scoped_code_page.hpp"

namespace hostseal {
namespace {

using testing::KnownAnswerLine;
using testing::ReadKnownAnswers;

class KnownAnswers : public testing::AesPathTest {};
HOSTSEAL_INSTANTIATE_AES_PATHS(KnownAnswers);

std::int32_t KeyBits(const KnownAnswerLine& line, std::size_t field) {
  const std::int32_t bits = line.Int(field);
  if (bits != 128 && bits != 192 && bits != 256) line.Fail("key bits must be 128, 192 or 256");
  return bits;
}

std::size_t KeyBytes(std::int32_t bits) {
  return static_cast<std::size_t>(bits / 8);
}

// `fill` with `block` written over it at `offset`.
std::vector<Byte> Placed(std::vector<Byte> fill, const std::vector<Byte>& block,
                         std::int32_t offset) {
  std::copy(block.begin(), block.end(), fill.begin() + offset);
  return fill;
}

// Each block sits at its own offset inside larger arrays, and the bytes around the block that
// is written must stay as they were.
TEST_P(KnownAnswers, AesBlocksOfEveryKeyLength) {
  cRijndael c;
  std::map<std::int32_t, int> perKeyLength;
  const std::vector<Byte> fill(40, 0xA5);
  std::int32_t index = 0;
  for (const KnownAnswerLine& line : ReadKnownAnswers("aes_blocks.txt", 4)) {
    line.Require(4);
    const std::int32_t bits = KeyBits(line, 0);
    const std::vector<Byte> plain = line.Hex(2, 16);
    const std::vector<Byte> cipher = line.Hex(3, 16);
    c.SetCipherKey(ByteArray(line.Hex(1, KeyBytes(bits))), bits);
    ++perKeyLength[bits];
    const std::int32_t p = index % 17;
    const std::int32_t q = index * 5 % 17;
    ++index;

    ByteArray encrypted(fill);
    c.BlockEncrypt(ByteArray(Placed(fill, plain, p)), encrypted, p, q);
    EXPECT_EQ(encrypted.Bytes(), Placed(fill, cipher, q)) << line.where;
    ByteArray decrypted(fill);
    c.BlockDecrypt(decrypted, ByteArray(Placed(fill, cipher, q)), p, q);
    EXPECT_EQ(decrypted.Bytes(), Placed(fill, plain, p)) << line.where;
  }
  for (std::int32_t bits : {128, 192, 256}) {
    EXPECT_GE(perKeyLength[bits], 30) << "aes_blocks.txt: too few cases of " << bits << " bits";
  }
}

// The cases of one key share a plain text and the cipher of its whole blocks; a case gives
// the framed bytes after the whole blocks of its length and their cipher.
TEST_P(KnownAnswers, ArrayFramingsOfEveryLengthUpTo100) {
  testing::RecordingSink sink;
  cRijndael c(sink);
  std::int32_t bits = 0;
  std::vector<Byte> plain;
  std::vector<Byte> whole;
  bool ready = false;  // key, plain and whole lines read
  std::set<std::pair<std::int32_t, std::int32_t>> seen;
  for (const KnownAnswerLine& line : ReadKnownAnswers("array_framings.txt", 4)) {
    if (line.fields[0] == "key") {
      line.Require(3);
      bits = KeyBits(line, 1);
      c.SetCipherKey(ByteArray(line.Hex(2, KeyBytes(bits))), bits);
      plain.clear();
      ready = false;
      continue;
    }
    if (line.fields[0] == "plain") {
      line.Require(2);
      plain = line.Hex(1);
      continue;
    }
    if (line.fields[0] == "whole") {
      line.Require(2);
      whole = line.Hex(1, plain.size() / 16 * 16);
      ready = bits != 0;
      continue;
    }
    line.Require(4);
    if (!ready) line.Fail("a case before the key, plain and whole lines of its key");
    const std::int32_t length = line.Int(0);
    const std::int32_t appendsize = line.Int(1);
    const std::vector<Byte> tail = line.Hex(2);
    const std::vector<Byte> cipherTail = line.Hex(3, tail.size());
    if (length < 0 || static_cast<std::size_t>(length) > plain.size() || tail.size() > 16) {
      line.Fail("length or tail out of range");
    }
    const auto head = static_cast<std::ptrdiff_t>(length) / 16 * 16;
    const std::vector<Byte> input(plain.begin(), plain.begin() + length);
    std::vector<Byte> expected(whole.begin(), whole.begin() + head);
    expected.insert(expected.end(), cipherTail.begin(), cipherTail.end());
    std::vector<Byte> framed(plain.begin(), plain.begin() + head);
    framed.insert(framed.end(), tail.begin(), tail.end());

    ByteArray cipher;
    EXPECT_EQ(c.ArrayEncrypt(ByteArray(input), cipher, appendsize), 0) << line.where;
    EXPECT_EQ(cipher.Bytes(), expected) << line.where;
    ByteArray back;
    EXPECT_EQ(c.ArrayDecrypt(back, ByteArray(expected), appendsize), 0) << line.where;
    EXPECT_EQ(back.Bytes(), appendsize != 0 ? input : framed) << line.where;
    // Read without the length field, every framed byte comes back, the length field too.
    ByteArray raw;
    c.ArrayDecrypt(raw, ByteArray(expected), 0);
    EXPECT_EQ(raw.Bytes(), framed) << line.where;
    seen.emplace(bits, 2 * length + (appendsize != 0 ? 1 : 0));
  }
  EXPECT_EQ(seen.size(), 3u * 101 * 2)
      << "array_framings.txt: every length 0-100, with and without the length field, for each "
         "key length";
  EXPECT_TRUE(sink.messages.empty());
}

struct TextCase {
  std::string where;
  std::int32_t codePage = 0;
  std::u16string text;
  std::vector<Byte> bytes;
  std::u16string hex;
};

struct TextCases {
  std::vector<Byte> key;
  std::vector<TextCase> cases;
};

TextCases ReadTextCases() {
  TextCases out;
  for (const KnownAnswerLine& line : ReadKnownAnswers("hex_texts.txt", 4)) {
    if (line.fields[0] == "key") {
      line.Require(2);
      out.key = line.Hex(1, 16);
      continue;
    }
    line.Require(4);
    if (out.key.empty()) line.Fail("a case before the key line");
    const std::vector<Byte> utf8 = line.Hex(1);
    const std::string& hex = line.fields[3];
    out.cases.push_back({line.where, line.Int(0), FromUtf8(std::string(utf8.begin(), utf8.end())),
                         line.Hex(2), hex == "-" ? u"" : FromUtf8(hex)});
  }
  if (out.cases.size() < 10) throw testing::KnownAnswerError("hex_texts.txt: too few cases");
  return out;
}

// The code page's bytes, the zero-padded framing and the hexadecimal layout, under the key of
// the file, whatever pass phrase this build has.
TEST_P(KnownAnswers, HexTextsUnderTheKeyOfTheFile) {
  const TextCases file = ReadTextCases();
  cRijndael c;
  c.SetCipherKey(ByteArray(file.key), 128);
  for (const TextCase& t : file.cases) {
    EXPECT_EQ(TextToCodePageBytes(t.text, t.codePage), t.bytes) << t.where;
    ByteArray cipher;
    c.ArrayEncrypt(ByteArray(t.bytes), cipher, 0);
    EXPECT_EQ(BytesToHexText(cipher.Bytes(), 16), t.hex) << t.where;
    EXPECT_EQ(HexTextToBytes(t.hex), cipher.Bytes()) << t.where;
  }
}

TEST_P(KnownAnswers, EncryptAndDecryptUnderTheBuiltInPassPhrase) {
  const TextCases file = ReadTextCases();
  std::vector<Byte> builtIn(16, 0);
  std::copy(std::begin(kBuiltInPassPhrase), std::end(kBuiltInPassPhrase) - 1, builtIn.begin());
  if (builtIn != file.key) {
    GTEST_SKIP() << "this build's pass phrase (HOSTSEAL_PASS_PHRASE) is not the one of "
                    "hex_texts.txt; make_vectors.py takes the phrase as its argument";
  }
  testing::RecordingSink sink;
  cRijndael c(sink);
  std::vector<std::u16string> messages;  // the empty text's hex text has no digits
  for (const TextCase& t : file.cases) {
    const testing::ScopedCodePage scoped(t.codePage);
    EXPECT_EQ(c.Encrypt(t.text), t.hex) << t.where;
    EXPECT_EQ(c.Decrypt(t.hex), t.text) << t.where;
    if (t.hex.empty()) messages.emplace_back(u"Text not Hex data");
  }
  EXPECT_EQ(sink.messages, messages);
}

}  // namespace
}  // namespace hostseal
