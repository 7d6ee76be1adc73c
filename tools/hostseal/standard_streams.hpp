// The tool's standard streams: all of standard input as text, lines and diagnostics out, and
// the final check that standard output really took what was written to it.
#pragma once

#include <functional>
#include <string>
#include <string_view>

namespace hostseal::cli {

// All of standard input, UTF-8, as text. One trailing line feed ("\n" or "\r\n") is dropped,
// so that `echo TEXT | hostseal encrypt` means the same as `hostseal encrypt TEXT`; a further
// line feed before it stays. Raises a RaisedError when standard input cannot be read.
std::u16string ReadStandardInputText();

// All of standard input as ReadStandardInputText reads it (one trailing line feed dropped),
// handed to `piece` as UTF-8 a piece at a time, so that no whole copy is held. Pieces may end
// inside a character.
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

}  // namespace hostseal::cli
