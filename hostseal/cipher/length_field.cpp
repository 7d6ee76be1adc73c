#include "hostseal/cipher/length_field.hpp"

namespace hostseal {

std::optional<std::size_t> PlainBytesOfLastBlock(const Byte* block) noexcept {
  constexpr std::size_t kLast = 15;
  const std::size_t n = block[kLast];
  if (n > kLast) return std::nullopt;
  Byte padding = 0;
  for (std::size_t i = n; i < kLast; ++i) padding |= block[i];
  if (padding != 0) return std::nullopt;
  return n;
}

}  // namespace hostseal
