// The terminal that AskPassPhrase talks to, the platform's part of the prompt: the terminal
// itself (/dev/tty on Linux, the console's CONIN$ and CONOUT$ on Windows, so that it works while
// the standard streams are redirected), its echo switched off, and one line read from it.
#pragma once

#include <memory>
#include <string_view>

#include "tools/hostseal/secrets/secret_text.hpp"

namespace hostseal::cli {

// How reading one line ended.
enum class LineEnd {
  kLine,        // a whole line was read
  kInputEnded,  // the input ended before the line did
  kTooLong,     // the line outgrew what the terminal's reader holds
  kNotText,     // the line is no Unicode text (Windows: unpaired UTF-16 surrogates)
};

class Terminal {
 public:
  // Raises a UsageError when there is no terminal.
  Terminal();
  ~Terminal();
  Terminal(const Terminal&) = delete;
  Terminal& operator=(const Terminal&) = delete;

  // Writes the prompt and reads the line typed after it into line, as UTF-8 without its line
  // break. Nothing of the line is left behind outside line, which wipes itself.
  LineEnd ReadLine(std::string_view prompt, SecretText& line) const;

  struct Handles;

 private:
  friend class EchoOff;
  std::unique_ptr<Handles> m_Handles;
};

// The terminal's echo off for its lifetime. Its settings are restored on every way out: the end
// of the guard, and a signal (Linux) or console event (Windows) that ends the tool; on Linux
// the echo is switched off again when a stopped tool continues. Raises a UsageError when the
// echo cannot be switched.
class EchoOff {
 public:
  explicit EchoOff(const Terminal& terminal);
  ~EchoOff();
  EchoOff(const EchoOff&) = delete;
  EchoOff& operator=(const EchoOff&) = delete;

 private:
  const Terminal& m_Terminal;
};

}  // namespace hostseal::cli
