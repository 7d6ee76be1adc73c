#include "hostseal/c/utf8_input.hpp"

#include <cstddef>
#include <string>

#include "hostseal/common/raised_error.hpp"
#include "hostseal/common/secure_wipe.hpp"
#include "hostseal/common/utf8_codec.hpp"

namespace hostseal::c_interface {

namespace {

constexpr std::int32_t kInvalidArgument = 5;

const char* Required(const char* utf8, std::string_view argumentName) {
  if (utf8 == nullptr) {
    throw RaisedError(kInvalidArgument, "Invalid procedure call or argument: " +
                                            std::string(argumentName) + " is NULL");
  }
  return utf8;
}

}  // namespace

InputText::InputText(const char* utf8, std::string_view argumentName)
    : m_Utf8(Required(utf8, argumentName)) {
  // First pass: well-formedness and the number of 16-bit units.
  std::size_t units = 0;
  for (std::size_t i = 0; i < m_Utf8.size();) {
    const Utf8Character c = DecodeUtf8Character(m_Utf8.data() + i, m_Utf8.size() - i);
    if (c.form != Utf8Form::kWellFormed) {
      throw RaisedError(kInvalidArgument,
                        "Invalid procedure call or argument: " + std::string(argumentName) +
                            " is not well-formed UTF-8");
    }
    units += c.codePoint < 0x10000 ? 1 : 2;
    i += c.length;
  }
  m_Text.resize(units);
  std::size_t at = 0;
  for (std::size_t i = 0; i < m_Utf8.size();) {
    const Utf8Character c = DecodeUtf8Character(m_Utf8.data() + i, m_Utf8.size() - i);
    at += EncodeUtf16(c.codePoint, m_Text.data() + at);
    i += c.length;
  }
}

InputText::~InputText() {
  SecureWipe(m_Text.data(), m_Text.capacity() * sizeof(char16_t));
}

}  // namespace hostseal::c_interface
