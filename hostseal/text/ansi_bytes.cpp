#include "hostseal/text/ansi_bytes.hpp"

#include "hostseal/text/code_page.hpp"

namespace hostseal {

// sData is taken by value, as callers of the original interface pass it.
ByteArray EncodeToBytes(std::u16string sData) {  // NOLINT(performance-unnecessary-value-param)
  return ByteArray(TextToAnsiBytes(sData));
}

}  // namespace hostseal
