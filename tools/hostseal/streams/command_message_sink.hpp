// CommandMessageSink: the tool's message box. Shows each message as one line "hostseal: TEXT"
// on standard error (the line breaks of a message of several lines become spaces), counts them,
// so that a command can tell whether its operation reported a problem, and lets a progress bar
// end its line before a message is written.
#pragma once

#include <cstddef>
#include <functional>
#include <string_view>
#include <utility>

#include "hostseal/common/message_sink.hpp"

namespace hostseal::cli {

class CommandMessageSink final : public MessageSink {
 public:
  void Show(std::u16string_view text) override;

  std::size_t Count() const { return m_Count; }

  // Called before each message is written; an empty function removes the hook.
  void SetBeforeShow(std::function<void()> hook) { m_BeforeShow = std::move(hook); }

 private:
  std::function<void()> m_BeforeShow;
  std::size_t m_Count = 0;
};

}  // namespace hostseal::cli
