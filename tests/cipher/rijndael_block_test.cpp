// One 16-byte block: in place, index spaces, the unkeyed object and the index errors. The
// known answers, FIPS-197's among them, are in known_answer_test.cpp, written at offsets into
// arrays whose other bytes must stay as they were.
#include <gtest/gtest.h>

#include <vector>

#include "hostseal/cipher/rijndael.hpp"
#include "hostseal/common/raised_error.hpp"
#include "tests/support/cipher_test_support.hpp"

namespace hostseal {
namespace {

using testing::Sequence;

class KeyedBlock : public ::testing::Test {
 protected:
  void SetUp() override { c.SetCipherKey(ByteArray(Sequence(32, 9)), 256); }
  ByteArray Encrypted(const std::vector<Byte>& block) const {
    ByteArray out(std::vector<Byte>(16));
    c.BlockEncrypt(ByteArray(block), out, 0, 0);
    return out;
  }
  cRijndael c;
};

TEST_F(KeyedBlock, InPlaceAndOverlappingBlocksEqualTheOutOfPlaceResult) {
  const std::vector<Byte> original = Sequence(48, 100);
  const std::vector<Byte> middle(original.begin() + 16, original.begin() + 32);

  ByteArray buffer(original);
  c.BlockEncrypt(buffer, buffer, 16, 16);
  EXPECT_EQ(std::vector<Byte>(buffer.Bytes().begin() + 16, buffer.Bytes().begin() + 32),
            Encrypted(middle).Bytes());
  EXPECT_TRUE(std::equal(original.begin(), original.begin() + 16, buffer.Bytes().begin()));
  EXPECT_TRUE(std::equal(original.begin() + 32, original.end(), buffer.Bytes().begin() + 32));
  c.BlockDecrypt(buffer, buffer, 16, 16);
  EXPECT_EQ(buffer.Bytes(), original);

  // Input at 16, output at 20 of the same array: the input is read whole before writing.
  ByteArray shifted(original);
  c.BlockEncrypt(shifted, shifted, 16, 20);
  EXPECT_EQ(std::vector<Byte>(shifted.Bytes().begin() + 20, shifted.Bytes().begin() + 36),
            Encrypted(middle).Bytes());
  c.BlockDecrypt(shifted, shifted, 12, 20);
  EXPECT_EQ(std::vector<Byte>(shifted.Bytes().begin() + 12, shifted.Bytes().begin() + 28), middle);
}

TEST_F(KeyedBlock, IndexesLiveInTheArraysOwnIndexSpace) {
  const ByteArray plain(Sequence(16), 5);
  ByteArray out(std::vector<Byte>(16), -3);
  c.BlockEncrypt(plain, out, 5, -3);
  EXPECT_EQ(out.Bytes(), Encrypted(Sequence(16)).Bytes());
  EXPECT_EQ(out.FirstIndex(), -3);
  EXPECT_THROW(c.BlockEncrypt(plain, out, 0, -3), RaisedError);
}

TEST_F(KeyedBlock, BadBlocksRaiseBeforeAnythingIsWritten) {
  const ByteArray plain(Sequence(32));
  const ByteArray untouched(std::vector<Byte>(32, 0x5A));
  auto expectIndexError = [&](auto&& call) {
    ByteArray out = untouched;
    try {
      call(out);
      ADD_FAILURE() << "no error";
    } catch (const RaisedError& e) {
      EXPECT_EQ(e.Number(), 9);
      EXPECT_EQ(e.Description(), "Subscript out of range");
    }
    EXPECT_EQ(out, untouched);
  };
  expectIndexError([&](ByteArray& out) { c.BlockEncrypt(plain, out, 0, 32); });  // at the length
  expectIndexError([&](ByteArray& out) { c.BlockEncrypt(plain, out, 0, 17); });  // 15 bytes left
  expectIndexError([&](ByteArray& out) { c.BlockEncrypt(plain, out, 0, -1); });
  expectIndexError([&](ByteArray& out) { c.BlockEncrypt(plain, out, 17, 0); });
  expectIndexError([&](ByteArray& out) { c.BlockEncrypt(ByteArray(), out, 0, 0); });
  expectIndexError([&](ByteArray& out) { c.BlockDecrypt(out, plain, 32, 0); });
  expectIndexError([&](ByteArray& out) { c.BlockDecrypt(out, plain, 0, 20); });
  expectIndexError([&](ByteArray& out) { c.BlockDecrypt(out, ByteArray(), 0, 0); });
  ByteArray empty;
  EXPECT_THROW(c.BlockEncrypt(plain, empty, 0, 0), RaisedError);
  EXPECT_TRUE(empty.Empty());
}

TEST(RijndaelBlock, UnkeyedObjectAppliesSubBytesAndShiftRowsOnly) {
  const cRijndael c;
  ByteArray zeros(std::vector<Byte>(16, 0));
  ByteArray out(std::vector<Byte>(16));
  c.BlockEncrypt(zeros, out, 0, 0);
  EXPECT_EQ(out.Bytes(), std::vector<Byte>(16, 0x63));
  c.BlockDecrypt(zeros, out, 0, 0);
  EXPECT_EQ(zeros.Bytes(), std::vector<Byte>(16, 0));

  // Byte (row r, column c) of the output is S of the input byte at (row r, column c + r).
  const ByteArray seq(Sequence(16));
  c.BlockEncrypt(seq, out, 0, 0);
  ByteArray substituted(std::vector<Byte>(16));
  for (std::size_t i = 0; i < 16; ++i) {
    ByteArray one(std::vector<Byte>(16, seq.Bytes()[i]));
    c.BlockEncrypt(one, substituted, 0, 0);
    const std::size_t row = i % 4;
    const std::size_t column = (i / 4 + 4 - row) % 4;
    EXPECT_EQ(out.Bytes()[4 * column + row], substituted.Bytes()[0]) << i;
  }
  ByteArray back(std::vector<Byte>(16));
  c.BlockDecrypt(back, out, 0, 0);
  EXPECT_EQ(back, seq);
}

}  // namespace
}  // namespace hostseal
