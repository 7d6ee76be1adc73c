// EncodeToBytes: text to bytes of the system's ANSI code page (see code_page.hpp), without a
// terminating zero. The whole text is converted; a U+0000 inside it gives a zero byte and does
// not end the conversion.
#pragma once

#include <string>

#include "hostseal/common/byte_array.hpp"

namespace hostseal {

ByteArray EncodeToBytes(std::u16string sData);

}  // namespace hostseal
