// Win32MessageSink: the cipher's messages in the system's message box, with an OK button only
// and the application's title, owned by the window so that it stays in front of it.
#pragma once

#include <windows.h>

#include <string>
#include <string_view>
#include <utility>

#include "hostseal/common/message_sink.hpp"

namespace hostseal {

class Win32MessageSink final : public MessageSink {
 public:
  explicit Win32MessageSink(std::u16string title) : m_Title(std::move(title)) {}

  // The window the message box belongs to; nullptr (the default) for none.
  void SetOwner(HWND owner) { m_Owner = owner; }
  void Show(std::u16string_view text) override;

 private:
  std::u16string m_Title;
  HWND m_Owner = nullptr;
};

}  // namespace hostseal
