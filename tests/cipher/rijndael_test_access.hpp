// Reads the private round keys of cRijndael for the tests.
#pragma once

#include <array>
#include <cstdint>

#include "hostseal/cipher/rijndael.hpp"

namespace hostseal {

struct cRijndaelTestAccess {
  static std::int32_t NumRounds(const cRijndael& c) { return c.numRounds; }
  static const std::array<std::uint32_t, 60>& EncRoundKey(const cRijndael& c) {
    return c.encRoundKey;
  }
  static const std::array<std::uint32_t, 60>& DecRoundKey(const cRijndael& c) {
    return c.decRoundKey;
  }
};

}  // namespace hostseal
