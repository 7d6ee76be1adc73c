#include "tools/hostseal/command_message_sink.hpp"

#include <iostream>

#include "hostseal/common/utf8.hpp"
#include "tools/hostseal/standard_streams.hpp"

namespace hostseal::cli {

void CommandMessageSink::Show(std::u16string_view text) {
  ++m_Count;
  if (m_BeforeShow) m_BeforeShow();
  WriteDiagnostic(ToUtf8(text));
}

}  // namespace hostseal::cli
