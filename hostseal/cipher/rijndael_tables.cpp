// The constructor of cRijndael: every lookup table computed from the arithmetic of GF(2^8)
// with the polynomial x^8 + x^4 + x^3 + x + 1. No table is stored as a constant.
#include <array>
#include <cstdint>

#include "hostseal/cipher/rijndael.hpp"

namespace hostseal {

namespace {

using Word = std::uint32_t;

// Multiplication by 2 in GF(2^8).
constexpr Byte XTime(Byte b) {
  return static_cast<Byte>((b << 1) ^ ((b & 0x80) != 0 ? 0x1B : 0x00));
}

constexpr Byte RotateLeft1(Byte b) {
  return static_cast<Byte>((b << 1) | (b >> 7));
}

// Packs four bytes into a word, the first byte least significant.
constexpr Word Pack(Byte b0, Byte b1, Byte b2, Byte b3) {
  return static_cast<Word>(b0) | (static_cast<Word>(b1) << 8) | (static_cast<Word>(b2) << 16) |
         (static_cast<Word>(b3) << 24);
}

}  // namespace

cRijndael::cRijndael() {
  // Powers of the generator 3 and their logarithms; local to the construction.
  std::array<Byte, 256> P{};
  std::array<Byte, 256> L{};
  L[0] = 0;
  L[1] = 0;
  L[3] = 1;
  P[0] = 1;
  P[1] = 3;
  for (int i = 2; i < 256; ++i) {
    P[i] = static_cast<Byte>(XTime(P[i - 1]) ^ P[i - 1]);
    L[P[i]] = static_cast<Byte>(i);  // the pass for i = 255 writes L[1] = 255, which acts as 0
  }

  // S-box: the multiplicative inverse followed by the affine map.
  fwdSBox[0] = 0x63636363u;
  invSBox[0x63] = 0;
  for (int i = 1; i < 256; ++i) {
    Byte x = P[255 - L[i]];
    Byte y = x;
    for (int k = 0; k < 4; ++k) {
      x = RotateLeft1(x);
      y ^= x;
    }
    y ^= 0x63;
    fwdSBox[i] = y * 0x01010101u;
    invSBox[y] = static_cast<Word>(i) * 0x01010101u;
  }

  Byte rc = 1;
  for (Word& constant : roundConst) {
    constant = rc;
    rc = XTime(rc);
  }

  const auto log = [&L](Byte v) { return static_cast<unsigned>(L[v]); };
  for (int x = 0; x < 256; ++x) {
    const auto s = static_cast<Byte>(fwdSBox[x]);
    const Byte a = XTime(s);
    const auto b = static_cast<Byte>(a ^ s);
    fwdTable0[x] = Pack(a, s, s, b);
    fwdTable1[x] = Pack(b, a, s, s);
    fwdTable2[x] = Pack(s, b, a, s);
    fwdTable3[x] = Pack(s, s, b, a);

    const auto t = static_cast<Byte>(invSBox[x]);
    if (t == 0) {
      invTable0[x] = invTable1[x] = invTable2[x] = invTable3[x] = 0;
      continue;
    }
    const Byte e = P[(log(t) + log(0x0E)) % 255];
    const Byte n = P[(log(t) + log(0x09)) % 255];
    const Byte d = P[(log(t) + log(0x0D)) % 255];
    const Byte c = P[(log(t) + log(0x0B)) % 255];
    invTable0[x] = Pack(e, n, d, c);
    invTable1[x] = Pack(c, e, n, d);
    invTable2[x] = Pack(d, c, e, n);
    invTable3[x] = Pack(n, d, c, e);
  }
}

cRijndael::cRijndael(MessageSink& sink) : cRijndael() {
  m_Sink = &sink;
}

}  // namespace hostseal
