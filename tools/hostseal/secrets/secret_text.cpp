#include "tools/hostseal/secrets/secret_text.hpp"

#include "hostseal/common/secure_wipe.hpp"
#include "hostseal/common/utf8.hpp"

namespace hostseal::cli {

SecretText::SecretText(std::string_view text) {
  Reserve(text.size());
  Append(text);
}

SecretText::SecretText(SecretText&& other) noexcept {
  *this = std::move(other);
}

SecretText& SecretText::operator=(SecretText&& other) noexcept {
  if (this == &other) return *this;
  // Copied and the source wiped: moving a short string would copy its bytes and leave them
  // in the source's own buffer.
  Wipe();
  try {
    Reserve(other.m_Text.size());
    m_Text.assign(other.m_Text);
  } catch (...) {
    m_Text.clear();
  }
  other.Wipe();
  return *this;
}

SecretText::~SecretText() {
  Wipe();
}

void SecretText::Reserve(std::size_t capacity) {
  Wipe();
  std::string fresh;
  fresh.reserve(capacity);
  m_Text.swap(fresh);
}

bool SecretText::Append(std::string_view bytes) {
  if (bytes.size() > m_Text.capacity() - m_Text.size()) return false;
  m_Text.append(bytes);
  return true;
}

void SecretText::PopBack() {
  if (m_Text.empty()) return;
  m_Text.back() = '\0';
  m_Text.pop_back();
}

void SecretText::Wipe() noexcept {
  SecureWipe(m_Text.data(), m_Text.capacity());
  m_Text.clear();
}

WipeOnExit::~WipeOnExit() {
  SecureWipe(m_Data, m_Size);
}

void AssignDecoded(std::u16string& target, std::string_view utf8) {
  std::u16string decoded = FromUtf8(utf8);
  SecureWipe(target.data(), target.capacity() * sizeof(char16_t));
  target.clear();
  target.reserve(decoded.size());
  target.assign(decoded);
  SecureWipe(decoded.data(), decoded.capacity() * sizeof(char16_t));
}

}  // namespace hostseal::cli
