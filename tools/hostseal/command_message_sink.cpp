#include "tools/hostseal/command_message_sink.hpp"

#include <cstdio>
#include <iostream>

namespace hostseal::cli {

void CommandMessageSink::Show(std::u16string_view text) {
  ++m_Count;
  if (m_BeforeShow) m_BeforeShow();
  std::cout.flush();
  m_StandardError.Show(text);
}

}  // namespace hostseal::cli
