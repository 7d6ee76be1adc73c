// FilePathFromText: the path that a file name given as 16-bit text names.
//
// The text becomes the system's own form of names: UTF-8 on Linux, UTF-16 on Windows. A name that
// cannot be a file name raises 52 "Bad file name or number": an empty one, one holding U+0000
// (which would cut the name short), and one holding an unpaired surrogate (which UTF-8 cannot
// carry; writing U+FFFD in its place would open some other file).
#pragma once

#include <filesystem>
#include <string>
#include <string_view>

namespace hostseal {

std::filesystem::path FilePathFromText(std::u16string_view name);

// The path that a UTF-8 name (a command-line argument, say) names, on every system: a plain
// std::string would be read in the ANSI code page on Windows, which may not hold the name.
std::filesystem::path PathFromUtf8(std::string_view name);

// A path as UTF-8, for messages.
std::string PathToUtf8(const std::filesystem::path& path);

}  // namespace hostseal
