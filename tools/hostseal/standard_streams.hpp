// The tool's standard streams: all of standard input as text, lines and diagnostics out, and
// the final check that standard output really took what was written to it.
#pragma once

#include <string>
#include <string_view>

namespace hostseal::cli {

// All of standard input, UTF-8, as text. One trailing line feed ("\n" or "\r\n") is dropped,
// so that `echo TEXT | hostseal encrypt` means the same as `hostseal encrypt TEXT`; a further
// line feed before it stays. Raises a RaisedError when standard input cannot be read.
std::u16string ReadStandardInputText();

// Drops one trailing "\n" or "\r\n" from UTF-8 bytes.
std::string DropTrailingLineFeed(std::string bytes);

// The text as UTF-8 and a line feed on standard output.
void WriteLine(std::u16string_view text);

// "hostseal: TEXT" and a line feed on standard error; TEXT is UTF-8.
void WriteDiagnostic(std::string_view text);

// Flushes standard output; raises a RaisedError (Device I/O error) when it failed.
void FlushStandardOutput();

}  // namespace hostseal::cli
