// SecureWipe: zeroes memory that held key material with stores the compiler may not remove,
// even when the memory is never read again (a plain memset before a free or the end of a
// scope is dead code to the optimiser).
//
// SecretBytesGuard wipes a byte vector when it goes out of scope, on every path, so that
// buffers holding keys or pass-phrase bytes do not outlive their use in freed memory;
// WipedBuffer does the same for a buffer of its own.
#pragma once

#include <cstddef>
#include <memory>
#include <vector>

#include "hostseal/common/byte_array.hpp"

namespace hostseal {

void SecureWipe(void* data, std::size_t size) noexcept;

// Wipes the whole capacity of the vector, not just its current size.
inline void SecureWipe(std::vector<Byte>& bytes) noexcept {
  SecureWipe(bytes.data(), bytes.capacity());
}

class SecretBytesGuard {
 public:
  explicit SecretBytesGuard(std::vector<Byte>& bytes) noexcept : m_Bytes(bytes) {}
  SecretBytesGuard(const SecretBytesGuard&) = delete;
  SecretBytesGuard& operator=(const SecretBytesGuard&) = delete;
  ~SecretBytesGuard() { SecureWipe(m_Bytes); }

 private:
  std::vector<Byte>& m_Bytes;
};

// A buffer of bytes left uninitialised at first, wiped when it goes: for chunks of plain text.
class WipedBuffer {
 public:
  explicit WipedBuffer(std::size_t size)
      : m_Bytes(std::make_unique_for_overwrite<Byte[]>(size)), m_Size(size) {}
  WipedBuffer(const WipedBuffer&) = delete;
  WipedBuffer& operator=(const WipedBuffer&) = delete;
  ~WipedBuffer() { SecureWipe(m_Bytes.get(), m_Size); }

  Byte* Get() const noexcept { return m_Bytes.get(); }

 private:
  std::unique_ptr<Byte[]> m_Bytes;
  std::size_t m_Size;
};

}  // namespace hostseal
