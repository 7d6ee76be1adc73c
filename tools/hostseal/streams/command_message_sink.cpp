#include "tools/hostseal/streams/command_message_sink.hpp"

#include <string>
#include <string_view>

#include "hostseal/common/utf8.hpp"
#include "tools/hostseal/streams/standard_streams.hpp"

namespace hostseal::cli {

void CommandMessageSink::Show(std::u16string_view text) {
  ++m_Count;
  if (m_BeforeShow) m_BeforeShow();
  // A message of several lines (the cipher's wrong-key warning has two, split by "\r\n") is
  // written a line at a time, each as "hostseal: LINE"; the lines after a warning's first say
  // "warning:" as the tool's own warnings do.
  const std::string utf8 = ToUtf8(text);
  const std::string_view all(utf8);
  const bool warning = all.rfind("warning", 0) == 0;
  std::size_t start = 0;
  for (bool first = true;; first = false) {
    const std::size_t end = all.find('\n', start);
    std::string_view line = all.substr(start, end == std::string_view::npos ? end : end - start);
    if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
    WriteDiagnostic(first || !warning ? std::string(line) : "warning: " + std::string(line));
    if (end == std::string_view::npos) break;
    start = end + 1;
  }
}

}  // namespace hostseal::cli
