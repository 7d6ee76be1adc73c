// SecretText: UTF-8 text that holds a key or a pass phrase. Its buffer is wiped when the text
// goes away, is moved from or is cleared, so that no copy stays behind in freed memory; it
// cannot be copied, and it never grows past the capacity it was given, so that no buffer is
// ever reallocated and freed unwiped on the way.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace hostseal::cli {

class SecretText {
 public:
  SecretText() = default;
  explicit SecretText(std::string_view text);
  SecretText(SecretText&& other) noexcept;
  SecretText& operator=(SecretText&& other) noexcept;
  SecretText(const SecretText&) = delete;
  SecretText& operator=(const SecretText&) = delete;
  ~SecretText();

  // Room for capacity bytes; Append refuses to grow beyond it. Wipes what was held.
  void Reserve(std::size_t capacity);
  // False, and nothing appended, when the text would outgrow its capacity.
  bool Append(std::string_view bytes);
  // Drops the last byte (a line's "\r").
  void PopBack();
  void Wipe() noexcept;

  std::string_view View() const { return m_Text; }
  bool Empty() const { return m_Text.empty(); }
  std::size_t Size() const { return m_Text.size(); }

 private:
  std::string m_Text;
};

// Wipes a buffer of the caller's (a read buffer on the stack) when the scope ends.
class WipeOnExit {
 public:
  WipeOnExit(void* data, std::size_t size) noexcept : m_Data(data), m_Size(size) {}
  ~WipeOnExit();
  WipeOnExit(const WipeOnExit&) = delete;
  WipeOnExit& operator=(const WipeOnExit&) = delete;

 private:
  void* m_Data;
  std::size_t m_Size;
};

// The UTF-8 text decoded into a string that already has room for it, so that no intermediate
// buffer is left unwiped: for KeyChoice::text.
void AssignDecoded(std::u16string& target, std::string_view utf8);

}  // namespace hostseal::cli
