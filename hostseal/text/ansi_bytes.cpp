#include "hostseal/text/ansi_bytes.hpp"

#include "hostseal/text/code_page.hpp"

namespace hostseal {

ByteArray EncodeToBytes(std::u16string sData) {
  return ByteArray(TextToAnsiBytes(sData));
}

}  // namespace hostseal
