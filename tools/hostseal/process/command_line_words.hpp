// The words of a Windows command line, each with the stretch of the line it was written in.
//
// The tool takes its arguments from CommandLineToArgvW; these words are only used to find
// where a key or pass phrase stands in the command line that other processes can read, so
// that it can be overwritten there. The split follows the documented rules: the program name
// runs to the next quote when it begins with one, otherwise to the first blank; then blanks
// (space, tab) separate words, quotes group, 2n backslashes before a quote are n backslashes
// and the quote groups, 2n+1 are n backslashes and a literal quote, other backslashes are
// literal, and "" inside quotes is a literal quote. Where a command line is read otherwise by
// the system, the words differ from its arguments, and the caller masks more, not less.
#pragma once

#include <cstddef>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace hostseal::cli {

struct CommandLineWord {
  std::u16string text;    // the argument as the program gets it
  std::size_t begin = 0;  // where it was written in the line
  std::size_t end = 0;    // one past its last character
};

std::vector<CommandLineWord> SplitCommandLine(std::u16string_view line);

// Overwrites the word's stretch of the line with '*', except a leading keep that the line
// holds there as written (the "--key=" of "--key=VALUE").
void MaskWord(std::span<char16_t> line, const CommandLineWord& word, std::u16string_view keep);

// Overwrites with '*' every character after the program name (the fallback when the words
// cannot be matched to the arguments).
void MaskAfterProgramName(std::span<char16_t> line);

}  // namespace hostseal::cli
