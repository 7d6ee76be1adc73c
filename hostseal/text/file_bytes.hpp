// LoadFileBytes: a whole file of at most 32,767 bytes into a byte array with one extra zero
// element, and its length.
#pragma once

#include <cstdint>
#include <string>

#include "hostseal/common/byte_array.hpp"

namespace hostseal {

void LoadFileBytes(const std::u16string& sFileName, ByteArray& aData, std::int16_t& nSize);

}  // namespace hostseal
