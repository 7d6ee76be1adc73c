// EncodeToBytes: text to bytes of the system's ANSI code page, without a terminating zero.
#pragma once

#include <string>

#include "hostseal/common/byte_array.hpp"

namespace hostseal {

ByteArray EncodeToBytes(std::u16string sData);

}  // namespace hostseal
