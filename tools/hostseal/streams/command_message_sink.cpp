#include "tools/hostseal/streams/command_message_sink.hpp"

#include <string>

#include "hostseal/common/utf8.hpp"
#include "tools/hostseal/streams/standard_streams.hpp"

namespace hostseal::cli {

void CommandMessageSink::Show(std::u16string_view text) {
  ++m_Count;
  if (m_BeforeShow) m_BeforeShow();
  // A message of several lines (the cipher's wrong-key warning has two, split by "\r\n") is
  // one line "hostseal: TEXT", its line breaks turned into spaces: the library's words as they
  // stand, in one style, one diagnostic per line.
  std::string line;
  for (const char c : ToUtf8(text)) {
    if (c == '\r') continue;
    line += c == '\n' ? ' ' : c;
  }
  WriteDiagnostic(line);
}

}  // namespace hostseal::cli
