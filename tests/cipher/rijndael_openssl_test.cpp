// Differential test against OpenSSL's libcrypto: whole arrays of random bytes under random keys,
// compared with AES-ECB of the framing that this test builds itself. Single blocks at offsets
// inside larger arrays are held to OpenSSL's answers by known_answer_test.cpp.
#include <gtest/gtest.h>

#include <cstdint>
#include <random>
#include <string>
#include <string_view>
#include <vector>

#include "hostseal/cipher/block_backend.hpp"
#include "hostseal/cipher/rijndael.hpp"
#include "tests/cipher/aes_path_test.hpp"
#include "tests/cipher/rijndael_test_access.hpp"
#include "tests/support/openssl_ecb.hpp"

namespace hostseal {
namespace {

std::vector<Byte> RandomBytes(std::mt19937_64& rng, std::size_t n) {
  std::vector<Byte> out(n);
  for (Byte& b : out) b = static_cast<Byte>(rng());
  return out;
}

// Every test runs once on each path that this processor can run; the others are skipped.
class RijndaelOpenSsl : public testing::AesPathTest {};
HOSTSEAL_INSTANTIATE_AES_PATHS(RijndaelOpenSsl);

TEST_P(RijndaelOpenSsl, ArraysOfRandomLengths) {
  std::mt19937_64 rng(17);
  cRijndael c;
  std::vector<std::size_t> lengths;  // every length up to 100 is among the known answers
  for (int i = 0; i < 60; ++i) lengths.push_back(101 + rng() % 9900);
  int mismatches = 0;
  for (std::size_t length : lengths) {
    for (int bits : {128, 192, 256}) {
      const std::vector<Byte> key = RandomBytes(rng, static_cast<std::size_t>(bits / 8));
      c.SetCipherKey(ByteArray(key), bits);
      const std::vector<Byte> plain = RandomBytes(rng, length);
      for (std::int32_t appendsize : {0, 1}) {
        std::vector<Byte> framed = plain;
        if (appendsize != 0) {
          framed.resize((length / 16 + 1) * 16, 0);
          framed.back() = static_cast<Byte>(length % 16);
        } else {
          framed.resize((length + 15) / 16 * 16, 0);
        }
        const std::vector<Byte> expected =
            testing::OpenSslEcb(true, key, framed.data(), framed.size());
        ByteArray cipher;
        EXPECT_EQ(c.ArrayEncrypt(ByteArray(plain), cipher, appendsize), 0);
        mismatches += cipher.Bytes() != expected;

        ByteArray back;
        EXPECT_EQ(c.ArrayDecrypt(back, ByteArray(expected), appendsize), 0);
        mismatches += back.Bytes() != (appendsize != 0 ? plain : framed);
      }
    }
  }
  EXPECT_EQ(mismatches, 0);
}

}  // namespace
}  // namespace hostseal

namespace hostseal {
namespace {

// Large outputs go around the cache with streaming stores, which need 32-byte alignment: both
// alignments of the output, and a whole array, against OpenSSL.
TEST_P(RijndaelOpenSsl, LargeArraysAtBothOutputAlignments) {
  std::mt19937_64 rng(99);
  cRijndael c;
  const std::vector<Byte> key = RandomBytes(rng, 32);
  c.SetCipherKey(ByteArray(key), 256);
  const std::size_t size = (std::size_t{9} << 20) + 5;
  const std::vector<Byte> plain = RandomBytes(rng, size);

  ByteArray cipher;
  c.ArrayEncrypt(ByteArray(plain), cipher, 1);
  std::vector<Byte> framed = plain;
  framed.resize((size / 16 + 1) * 16, 0);
  framed.back() = static_cast<Byte>(size % 16);
  EXPECT_TRUE(cipher.Bytes() == testing::OpenSslEcb(true, key, framed.data(), framed.size()));
  ByteArray back;
  EXPECT_EQ(c.ArrayDecrypt(back, cipher, 1), 0);
  EXPECT_TRUE(back.Bytes() == plain);

  // The path's many-block routine straight into an output that starts 32-byte aligned, and
  // one that starts 16 bytes past that.
  const auto* backend = cipher_backend::Active();
  if (backend == nullptr) return;  // the table path has no alignment cases
  const std::size_t blocks = framed.size() / 16;
  std::vector<Byte> room(framed.size() + 64);
  const auto base = reinterpret_cast<std::uintptr_t>(room.data());
  const std::size_t aligned = (32 - base % 32) % 32;
  for (std::size_t offset : {aligned, aligned + 16}) {
    Byte* out = room.data() + offset;
    backend->encrypt(cRijndaelTestAccess::EncRoundKey(c).data(), cRijndaelTestAccess::NumRounds(c),
                     framed.data(), out, blocks);
    EXPECT_TRUE(std::equal(out, out + framed.size(), cipher.Bytes().begin())) << offset;
    backend->decrypt(cRijndaelTestAccess::DecRoundKey(c).data(), cRijndaelTestAccess::NumRounds(c),
                     out, out, blocks);
    EXPECT_TRUE(std::equal(out, out + framed.size(), framed.begin())) << offset;
  }
}

}  // namespace
}  // namespace hostseal
