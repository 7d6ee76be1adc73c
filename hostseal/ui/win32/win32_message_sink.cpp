// Win32MessageSink: MessageBoxW, modal to its owner.
#include "hostseal/ui/win32/win32_message_sink.hpp"

namespace hostseal {

void Win32MessageSink::Show(std::u16string_view text) {
  const std::wstring wideText(text.begin(), text.end());
  const std::wstring wideTitle(m_Title.begin(), m_Title.end());
  ::MessageBoxW(m_Owner, wideText.c_str(), wideTitle.c_str(), MB_OK);
}

}  // namespace hostseal
