// The constructor's tables against their definitions, computed here by plain bitwise field
// arithmetic rather than by logarithms.
#include <gtest/gtest.h>

#include <cstdint>

#include "tests/cipher/rijndael_test_access.hpp"

namespace hostseal {
namespace {

using Access = cRijndaelTestAccess;

std::uint8_t Mul(std::uint8_t a, std::uint8_t b) {
  std::uint8_t product = 0;
  while (b != 0) {
    if ((b & 1) != 0) product ^= a;
    a = static_cast<std::uint8_t>((a << 1) ^ ((a & 0x80) != 0 ? 0x1B : 0));
    b >>= 1;
  }
  return product;
}

std::uint8_t Inverse(std::uint8_t a) {
  if (a == 0) return 0;
  for (int b = 1; b < 256; ++b) {
    if (Mul(a, static_cast<std::uint8_t>(b)) == 1) return static_cast<std::uint8_t>(b);
  }
  return 0;
}

std::uint8_t SBox(std::uint8_t x) {
  const std::uint8_t b = Inverse(x);
  std::uint8_t s = 0x63;
  for (int i = 0; i < 8; ++i) {
    const int bit = ((b >> i) ^ (b >> ((i + 4) % 8)) ^ (b >> ((i + 5) % 8)) ^ (b >> ((i + 6) % 8)) ^
                     (b >> ((i + 7) % 8))) &
                    1;
    s = static_cast<std::uint8_t>(s ^ (bit << i));
  }
  return s;
}

std::uint32_t Bytes(std::uint8_t b0, std::uint8_t b1, std::uint8_t b2, std::uint8_t b3) {
  return b0 | (std::uint32_t{b1} << 8) | (std::uint32_t{b2} << 16) | (std::uint32_t{b3} << 24);
}

std::uint32_t Rotl(std::uint32_t w, int n) {
  return n == 0 ? w : (w << n) | (w >> (32 - n));
}

TEST(RijndaelTables, KnownEntries) {
  const cRijndael c;
  EXPECT_EQ(Access::FwdSBox(c)[0], 0x63636363u);
  EXPECT_EQ(Access::FwdSBox(c)[1], 0x7C7C7C7Cu);
  EXPECT_EQ(Access::InvSBox(c)[0], 0x52525252u);
  EXPECT_EQ(Access::InvSBox(c)[0x63], 0u);
  EXPECT_EQ(Access::FwdTable(c, 0)[0], 0xA56363C6u);
  EXPECT_EQ(Access::FwdTable(c, 1)[0], 0x6363C6A5u);
  EXPECT_EQ(Access::FwdTable(c, 2)[0], 0x63C6A563u);
  EXPECT_EQ(Access::FwdTable(c, 3)[0], 0xC6A56363u);
  EXPECT_EQ(Access::InvTable(c, 0)[0], 0x50A7F451u);
  EXPECT_EQ(Access::InvTable(c, 1)[0], 0xA7F45150u);
  EXPECT_EQ(Access::InvTable(c, 2)[0], 0xF45150A7u);
  EXPECT_EQ(Access::InvTable(c, 3)[0], 0x5150A7F4u);
  for (int k = 0; k < 4; ++k) EXPECT_EQ(Access::InvTable(c, k)[0x63], 0u);
  const std::array<std::uint32_t, 10> rcon = {0x01, 0x02, 0x04, 0x08, 0x10,
                                              0x20, 0x40, 0x80, 0x1B, 0x36};
  EXPECT_EQ(Access::RoundConst(c), rcon);
}

TEST(RijndaelTables, EveryEntryMatchesItsDefinition) {
  const cRijndael c;
  for (int x = 0; x < 256; ++x) {
    SCOPED_TRACE(x);
    const std::uint8_t s = SBox(static_cast<std::uint8_t>(x));
    EXPECT_EQ(Access::FwdSBox(c)[x], s * 0x01010101u);
    EXPECT_EQ(Access::InvSBox(c)[s], static_cast<std::uint32_t>(x) * 0x01010101u);

    // MixColumns of a column holding only s in row 0.
    EXPECT_EQ(Access::FwdTable(c, 0)[x], Bytes(Mul(2, s), s, s, Mul(3, s)));
    const std::uint8_t t = static_cast<std::uint8_t>(Access::InvSBox(c)[x]);
    // InvMixColumns of a column holding only t in row 0.
    EXPECT_EQ(Access::InvTable(c, 0)[x], Bytes(Mul(14, t), Mul(9, t), Mul(13, t), Mul(11, t)));
    for (int k = 1; k < 4; ++k) {
      EXPECT_EQ(Access::FwdTable(c, k)[x], Rotl(Access::FwdTable(c, 0)[x], 8 * k));
      EXPECT_EQ(Access::InvTable(c, k)[x], Rotl(Access::InvTable(c, 0)[x], 8 * k));
    }
  }
}

}  // namespace
}  // namespace hostseal
