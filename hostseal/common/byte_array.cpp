#include "hostseal/common/byte_array.hpp"

#include <utility>

namespace hostseal {

ByteArray::ByteArray(std::vector<Byte> bytes, std::int32_t firstIndex)
    : m_Bytes(std::move(bytes)), m_FirstIndex(firstIndex) {}

}  // namespace hostseal
