#include "hostseal/common/message_sink.hpp"

#include <atomic>
#include <cstdio>
#include <string>

#include "hostseal/common/utf8.hpp"

namespace hostseal {

namespace {

StandardErrorSink& StandardSink() {
  static StandardErrorSink sink;
  return sink;
}

std::atomic<MessageSink*>& CurrentDefault() {
  static std::atomic<MessageSink*> sink{nullptr};
  return sink;
}

}  // namespace

void StandardErrorSink::Show(std::u16string_view text) {
  std::string line = "hostseal: ";
  line += ToUtf8(text);
  line += '\n';
  std::fwrite(line.data(), 1, line.size(), stderr);
  std::fflush(stderr);
}

MessageSink& DefaultMessageSink() {
  MessageSink* sink = CurrentDefault().load();
  return sink != nullptr ? *sink : StandardSink();
}

MessageSink* SetDefaultMessageSink(MessageSink* sink) {
  MessageSink* before = CurrentDefault().exchange(sink);
  return before != nullptr ? before : &StandardSink();
}

}  // namespace hostseal
