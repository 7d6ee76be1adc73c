// ByteArray: a growable array of bytes that knows the index of its first element.
//
// The cipher and the text helpers exchange bytes through this type. Most arrays start at
// index 0; callers that hand over an array with another first index get the errors that
// each operation documents, so the first index is kept beside the bytes.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

namespace hostseal {

using Byte = std::uint8_t;

class ByteArray {
 public:
  ByteArray() = default;  // empty, first index 0
  explicit ByteArray(std::vector<Byte> bytes, std::int32_t firstIndex = 0);

  std::int32_t FirstIndex() const { return m_FirstIndex; }
  std::size_t Size() const { return m_Bytes.size(); }
  bool Empty() const { return m_Bytes.empty(); }

  // Element i of the array is Bytes()[i - FirstIndex()].
  const std::vector<Byte>& Bytes() const { return m_Bytes; }
  std::vector<Byte>& Bytes() { return m_Bytes; }

  friend bool operator==(const ByteArray&, const ByteArray&) = default;

 private:
  std::vector<Byte> m_Bytes;
  std::int32_t m_FirstIndex = 0;
};

}  // namespace hostseal
