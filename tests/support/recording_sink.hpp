// A MessageSink that records what it was asked to show, in place of the modal message box.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "hostseal/common/message_sink.hpp"

namespace hostseal::testing {

class RecordingSink final : public MessageSink {
 public:
  void Show(std::u16string_view text) override { messages.emplace_back(text); }
  std::vector<std::u16string> messages;
};

}  // namespace hostseal::testing
