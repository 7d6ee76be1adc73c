// The byte-array framing: output arrays, statuses and messages.
#include <gtest/gtest.h>

#include <vector>

#include "hostseal/cipher/rijndael.hpp"
#include "hostseal/common/raised_error.hpp"
#include "tests/support/cipher_test_support.hpp"
#include "tests/support/recording_sink.hpp"

namespace hostseal {
namespace {

using testing::Sequence;

class ArrayFraming : public ::testing::Test {
 protected:
  void SetUp() override { c.SetCipherKey(ByteArray(Sequence(16, 1)), 128); }

  ByteArray Encrypted(const std::vector<Byte>& plain, std::int32_t appendsize) const {
    ByteArray cipher;
    EXPECT_EQ(c.ArrayEncrypt(ByteArray(plain), cipher, appendsize), 0);
    EXPECT_EQ(cipher.FirstIndex(), 0);
    return cipher;
  }

  testing::RecordingSink sink;
  cRijndael c{sink};
};

// The framing itself, of every length, is held to OpenSSL and to the known answers.
TEST_F(ArrayFraming, AnyNonZeroAppendSizeWritesTheLengthFieldAndNoCipherTextIsNoPlainText) {
  for (std::int32_t appendsize : {-1, 255}) {
    EXPECT_EQ(Encrypted(Sequence(5), appendsize), Encrypted(Sequence(5), 1));
  }
  EXPECT_TRUE(Encrypted({}, 0).Empty());
  ByteArray empty(std::vector<Byte>{1, 2, 3});
  EXPECT_EQ(c.ArrayDecrypt(empty, ByteArray(), 0), 0);
  EXPECT_TRUE(empty.Empty());
  EXPECT_TRUE(sink.messages.empty());
}

TEST_F(ArrayFraming, OutputArraysAreReplacedWhateverTheyHeld) {
  // Output arrays that held other bytes, more or fewer, at other first indexes.
  for (std::size_t length : {0u, 5u, 16u, 33u}) {
    for (std::size_t junk : {0u, 7u, 64u, 200u}) {
      ByteArray cipher(std::vector<Byte>(junk, 0xA5), 3);
      cipher.Bytes().reserve(256);
      EXPECT_EQ(c.ArrayEncrypt(ByteArray(Sequence(length)), cipher, 1), 0);
      EXPECT_EQ(cipher, Encrypted(Sequence(length), 1));
      ByteArray plain(std::vector<Byte>(junk, 0x5A), -2);
      plain.Bytes().reserve(256);
      EXPECT_EQ(c.ArrayDecrypt(plain, cipher, 1), 0);
      EXPECT_EQ(plain, ByteArray(Sequence(length)));
    }
  }
}

TEST_F(ArrayFraming, OneArrayMayBeBothArguments) {
  ByteArray buffer(Sequence(20));
  const ByteArray expected = Encrypted(Sequence(20), 1);
  c.ArrayEncrypt(buffer, buffer, 1);
  EXPECT_EQ(buffer, expected);
  EXPECT_EQ(c.ArrayDecrypt(buffer, buffer, 1), 0);
  EXPECT_EQ(buffer.Bytes(), Sequence(20));
}

TEST_F(ArrayFraming, BadCipherLengthsAreReportedAndTheOutputKept) {
  const ByteArray before(std::vector<Byte>{9, 8, 7}, 0);
  for (std::size_t size : {1u, 15u, 20u, 33u}) {
    ByteArray plain = before;
    EXPECT_EQ(c.ArrayDecrypt(plain, ByteArray(Sequence(size)), 0), -1);
    EXPECT_EQ(plain, before);
  }
  ByteArray plain = before;
  EXPECT_EQ(c.ArrayDecrypt(plain, ByteArray(), 1), -1);  // no length field to read
  EXPECT_EQ(plain, before);
  ASSERT_EQ(sink.messages.size(), 5u);
  for (const auto& message : sink.messages) {
    EXPECT_EQ(message, u"ciphertext size not a multiple of block size");
  }
}

TEST_F(ArrayFraming, LengthFieldOfSixteenOrMoreIsAWarning) {
  // A block whose decryption ends in 0x10.
  std::vector<Byte> framed(16, 0);
  framed[15] = 0x10;
  const ByteArray cipher = Encrypted(framed, 0);
  ByteArray plain;
  EXPECT_EQ(c.ArrayDecrypt(plain, cipher, 1), 1);
  EXPECT_EQ(plain.Bytes(), framed);
  EXPECT_EQ(sink.messages, std::vector<std::u16string>{u"warning - incorrect length field"});

  // Data under another key: either the warning, or whatever length the last byte claims.
  cRijndael other(sink);
  other.SetCipherKey(ByteArray(Sequence(16, 200)), 128);
  ByteArray wrong;
  const std::int32_t status = other.ArrayDecrypt(wrong, Encrypted(Sequence(40), 1), 1);
  EXPECT_TRUE(status == 0 || status == 1);
  EXPECT_EQ(status == 1, wrong.Size() == 48u);
}

TEST_F(ArrayFraming, InputsThatAreNotZeroBasedRaise) {
  const ByteArray keep(std::vector<Byte>{1, 2}, 0);
  ByteArray out = keep;
  try {
    c.ArrayEncrypt(ByteArray(Sequence(16), 1), out, 1);
    ADD_FAILURE();
  } catch (const RaisedError& e) {
    EXPECT_EQ(e.Number(), 1);
    EXPECT_EQ(e.Description(), "cRijndael.ArrayEncrypt - plaintext must be zero based array");
  }
  EXPECT_EQ(out, keep);
  try {
    c.ArrayDecrypt(out, ByteArray(Sequence(16), 1), 1);
    ADD_FAILURE();
  } catch (const RaisedError& e) {
    EXPECT_EQ(e.Number(), 1);
    EXPECT_EQ(e.Description(), "cRijndael.ArrayDecrypt - ciphertext must be zero based array");
  }
  EXPECT_EQ(out, keep);
  EXPECT_TRUE(sink.messages.empty());
}

}  // namespace
}  // namespace hostseal
