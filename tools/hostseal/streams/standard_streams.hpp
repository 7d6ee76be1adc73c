// The tool's standard streams: set up for the run (ConsoleSession), all of standard input as
// text, lines and diagnostics out, and the final check that standard output really took what
// was written to it.
//
// Where they meet the operating system (standard_handles.cpp in linux/ and windows/): whether
// one is an interactive terminal, standard error written at once, and standard input read a piece
// at a time. Linux uses the descriptors; Windows tells a console from a file, a pipe or the NUL
// device and talks to a console in UTF-16, so that any text shows and can be typed whatever its
// code page.
#pragma once

#include <cstddef>
#include <functional>
#include <memory>
#include <streambuf>
#include <string>
#include <string_view>

#include "tools/console/console_route.hpp"

namespace hostseal::cli {

// True when the stream is an interactive terminal: a tty on Linux, a console on Windows (not
// the NUL device or a serial port, which are character devices too).
bool IsTerminal(StandardStream stream);

// The UTF-8 bytes on standard error, unbuffered: as text on a console, as they are elsewhere.
void WriteStandardError(std::string_view utf8);

// Up to size bytes of standard input, UTF-8; 0 at its end. Raises a RaisedError (Device I/O
// error) when it cannot be read. A Windows console is read as UTF-16 and its "\r\n" given as
// "\n"; a line that begins with Ctrl+Z ends the input there.
std::size_t ReadStandardInput(char* buffer, std::size_t size);

// The keys that end the input typed at a terminal: "Ctrl-D" on Linux, "Ctrl-Z then Enter" on
// Windows.
const char* EndOfInputKeys();

// All of standard input, UTF-8, handed to `piece` a piece at a time, so that no whole copy is
// held. One trailing line feed ("\n" or "\r\n") is dropped, so that a text piped in by `echo`
// means the same as that text given as an argument; a further line feed before it stays.
// Pieces may end inside a character. Raises a RaisedError when standard input cannot be read.
void ReadStandardInputPieces(const std::function<void(std::string_view)>& piece);

// Drops one trailing "\n" or "\r\n" from UTF-8 bytes.
std::string DropTrailingLineFeed(std::string bytes);

// UTF-8 bytes on standard output as they are.
void WriteUtf8(std::string_view utf8);

// The text as UTF-8 and a line feed on standard output.
void WriteLine(std::u16string_view text);

// "hostseal: TEXT" and a line feed on standard error; TEXT is UTF-8.
void WriteDiagnostic(std::string_view text);

// Flushes standard output; raises a RaisedError when it or an earlier write failed, worded as
// for a file named "standard output" with the first failure's reason:
//   Disk full: "standard output" (No space left on device)
void FlushStandardOutput();

// ConsoleSession: the standard streams set up for one run of the tool and put back after it.
//
// On Linux there is nothing to set up. On Windows the three streams go to binary mode (no
// "\n" to "\r\n" translation: a redirected output is byte for byte the one Linux writes),
// std::cout writes to a console through WriteConsoleW (UTF-8 made UTF-16, so Chinese shows
// whatever the console's code page), and the console's virtual-terminal processing is
// switched on where the console accepts it, for the status log's colours; the console's mode
// and std::cout's buffer are restored when the session ends.
class ConsoleSession {
 public:
  ConsoleSession();
  ~ConsoleSession();
  ConsoleSession(const ConsoleSession&) = delete;
  ConsoleSession& operator=(const ConsoleSession&) = delete;

 private:
  struct State;
  std::unique_ptr<State> m_State;  // what to put back; none on Linux
};

// While it lives, what std::cout writes passes through it to std::cout's own buffer, and the
// reason (errno) of the first write that fails is kept for FlushStandardOutput: once a write
// has failed the stream writes nothing more, and errno may have changed before the flush.
// Made after any other change of std::cout's buffer (the console session's), which it wraps.
class StandardOutputWatch {
 public:
  StandardOutputWatch();
  ~StandardOutputWatch();
  StandardOutputWatch(const StandardOutputWatch&) = delete;
  StandardOutputWatch& operator=(const StandardOutputWatch&) = delete;

 private:
  std::unique_ptr<std::streambuf> m_Buffer;
  std::streambuf* m_Previous;
};

}  // namespace hostseal::cli
