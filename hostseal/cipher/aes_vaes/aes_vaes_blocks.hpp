// VAES: sixteen blocks in flight, two to each 256-bit register. Only for processors with VAES
// and AVX2; compiled with a per-function target so that one binary runs everywhere.
#pragma once

#include <cstddef>
#include <cstdint>

#include "hostseal/common/byte_array.hpp"

namespace hostseal::cipher_backend {

void VaesEncryptBlocks(const std::uint32_t* roundKeys, int rounds, const Byte* in, Byte* out,
                       std::size_t n);
void VaesDecryptBlocks(const std::uint32_t* roundKeys, int rounds, const Byte* in, Byte* out,
                       std::size_t n);

}  // namespace hostseal::cipher_backend
