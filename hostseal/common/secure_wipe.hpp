// SecureWipe: zeroes memory that held key material with stores the compiler may not remove,
// even when the memory is never read again (a plain memset before a free or the end of a
// scope is dead code to the optimiser).
//
// SecretBytesGuard wipes a byte vector when it goes out of scope, on every path, so that
// buffers holding keys or pass-phrase bytes do not outlive their use in freed memory.
#pragma once

#include <cstddef>
#include <vector>

#include "hostseal/common/byte_array.hpp"

namespace hostseal {

void SecureWipe(void* data, std::size_t size) noexcept;

// Wipes the whole capacity of the vector, not just its current size.
void SecureWipe(std::vector<Byte>& bytes) noexcept;

class SecretBytesGuard {
 public:
  explicit SecretBytesGuard(std::vector<Byte>& bytes) noexcept : m_Bytes(bytes) {}
  SecretBytesGuard(const SecretBytesGuard&) = delete;
  SecretBytesGuard& operator=(const SecretBytesGuard&) = delete;
  ~SecretBytesGuard() { SecureWipe(m_Bytes); }

 private:
  std::vector<Byte>& m_Bytes;
};

}  // namespace hostseal
