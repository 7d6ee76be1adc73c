// The command line that other processes are shown, on Windows: the buffer GetCommandLineW
// returns is the one in the process environment block that Task Manager, WMI and Process
// Explorer read, so each argument whose value was wiped is overwritten there with '*' (its
// "--key=" kept). When the words found in that buffer do not match the tool's arguments (a
// command line the system split by other rules), everything after the program name is
// overwritten instead. The C runtime's ANSI copies (GetCommandLineA, __argv), which the tool
// never uses, are overwritten after the program name too.
//
// What stays visible, and cannot be helped from inside the process:
// - the command line to anything that saw it before the tool started or before this point:
//   process-creation auditing (event 4688 with command-line logging), Sysmon, ETW traces,
//   a program that listed the processes in the first milliseconds;
// - the length of each value (as many '*' as it had characters);
// - the process's memory as a whole to programs of the same user that may read it (as on
//   Linux under ptrace's rules); the keys themselves are in it while they are in use.
// So the key files, the environment and the prompt remain the safe sources.
#include "tools/hostseal/process/shown_command_line.hpp"

#include <windows.h>

#include <cstdlib>
#include <cstring>
#include <cwchar>
#include <string>

#include "hostseal/common/secure_wipe.hpp"
#include "hostseal/common/utf8_codec.hpp"
#include "tools/hostseal/process/command_line_words.hpp"

namespace hostseal::cli {

namespace {

// The line as char16_t, wiped when it goes away (it holds the values until masked).
class LineCopy {
 public:
  explicit LineCopy(const wchar_t* line) : m_Text(std::wcslen(line), u'\0') {
    for (std::size_t i = 0; i < m_Text.size(); ++i) m_Text[i] = static_cast<char16_t>(line[i]);
  }
  ~LineCopy() { SecureWipe(m_Text.data(), m_Text.size() * sizeof(char16_t)); }
  LineCopy(const LineCopy&) = delete;
  LineCopy& operator=(const LineCopy&) = delete;
  std::u16string& Text() { return m_Text; }

 private:
  std::u16string m_Text;
};

// Masks the words whose values were wiped in argv; false when the words and argv differ.
bool MaskWipedWords(std::u16string& line, int argc, char** argv) {
  std::vector<CommandLineWord> words = SplitCommandLine(line);
  bool matched = words.size() == static_cast<std::size_t>(argc);
  for (int i = 1; matched && i < argc; ++i) {
    const CommandLineWord& word = words[static_cast<std::size_t>(i)];
    std::optional<std::string> utf8 = ToUtf8Exact(word.text);
    const std::size_t kept = std::strlen(argv[i]);
    matched = utf8 && kept <= utf8->size() && utf8->compare(0, kept, argv[i]) == 0;
    if (matched && kept < utf8->size()) {
      const std::size_t keepUnits = Utf16UnitsOfUtf8Prefix(word.text, kept);
      MaskWord(line, word, std::u16string_view(word.text).substr(0, keepUnits));
    }
    if (utf8) SecureWipe(utf8->data(), utf8->size());
  }
  for (CommandLineWord& word : words) {
    SecureWipe(word.text.data(), word.text.size() * sizeof(char16_t));
  }
  return matched;
}

void MaskNarrowCopies() {
  if (char* line = ::GetCommandLineA(); line != nullptr) {
    std::size_t i = 0;
    if (line[0] == '"') {
      for (i = 1; line[i] != '\0' && line[i] != '"'; ++i) {
      }
      if (line[i] == '"') ++i;
    } else {
      while (line[i] != '\0' && line[i] != ' ' && line[i] != '\t') ++i;
    }
    for (; line[i] != '\0'; ++i) {
      if (line[i] != ' ' && line[i] != '\t') line[i] = '*';
    }
  }
  if (__argv != nullptr) {
    for (int i = 1; i < __argc && __argv[i] != nullptr; ++i) {
      SecureWipe(__argv[i], std::strlen(__argv[i]));
    }
  }
}

}  // namespace

void HideWipedArguments(int argc, char** argv) {
  wchar_t* shown = ::GetCommandLineW();
  if (shown == nullptr) return;
  LineCopy copy(shown);
  std::u16string& line = copy.Text();
  if (!MaskWipedWords(line, argc, argv)) {
    // The words were masked one by one up to the mismatch; the rest goes as a whole.
    MaskAfterProgramName(line);
  }
  for (std::size_t i = 0; i < line.size(); ++i) shown[i] = static_cast<wchar_t>(line[i]);
  MaskNarrowCopies();
}

}  // namespace hostseal::cli
