// Text that callers hand in: zero-terminated UTF-8, checked strictly (Unicode table 3-7: no
// overlong forms, no surrogates, nothing above U+10FFFF). Ill-formed text is refused with
// HOSTSEAL_INVALID_ARGUMENT rather than read with U+FFFD in its place, which would make a key,
// a path or a cipher text of some other text.
//
// InputText holds the text as the library's 16-bit text, sized once up front so that no copy
// is left behind by a reallocation, and wipes it when it goes: pass phrases and key digits
// pass through here.
#pragma once

#include <string>
#include <string_view>

namespace hostseal::c_interface {

class InputText {
 public:
  // Raises RaisedError 5 for NULL and for ill-formed UTF-8, with a description that names
  // only the argument.
  InputText(const char* utf8, std::string_view argumentName);
  ~InputText();
  InputText(const InputText&) = delete;
  InputText& operator=(const InputText&) = delete;

  const std::u16string& Text() const noexcept { return m_Text; }
  std::string_view Utf8() const noexcept { return m_Utf8; }

 private:
  std::string_view m_Utf8;
  std::u16string m_Text;
};

}  // namespace hostseal::c_interface
