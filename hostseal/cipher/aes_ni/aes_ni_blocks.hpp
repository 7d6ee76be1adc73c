// AES-NI: eight blocks in flight in 128-bit registers. Only for processors with the AES
// instructions; compiled with a per-function target so that one binary runs everywhere.
#pragma once

#include <cstddef>
#include <cstdint>

#include "hostseal/common/byte_array.hpp"

namespace hostseal::cipher_backend {

void AesNiEncryptBlocks(const std::uint32_t* roundKeys, int rounds, const Byte* in, Byte* out,
                        std::size_t n);
void AesNiDecryptBlocks(const std::uint32_t* roundKeys, int rounds, const Byte* in, Byte* out,
                        std::size_t n);

}  // namespace hostseal::cipher_backend
