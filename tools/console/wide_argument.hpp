// Command-line arguments that arrive as UTF-16 (the Windows command line) made into the UTF-8
// the tool works in.
//
// Windows lets a command line, like a file name, hold an unpaired surrogate. Such an argument
// has no UTF-8 form, and writing U+FFFD in its place would make the tool encrypt another text,
// or open another file, than the one given; so it is refused instead.
#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

namespace hostseal::cli {

// The UTF-8 form of the argument, or nothing when it holds an unpaired surrogate. The result
// is allocated once at its final size, so that the bytes of a key or pass phrase are never
// left behind in a buffer given up on the way.
std::optional<std::string> ArgumentToUtf8(std::u16string_view argument);

// The number of UTF-16 units that the first utf8Length bytes of ArgumentToUtf8(argument)
// came from (utf8Length ends between two characters).
std::size_t Utf16UnitsOfUtf8Prefix(std::u16string_view argument, std::size_t utf8Length);

}  // namespace hostseal::cli
