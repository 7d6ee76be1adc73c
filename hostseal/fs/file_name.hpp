// FilePathFromText: the path that a file name given as 16-bit text names.
//
// The text is written as UTF-8, the form file names take on Linux. A name that cannot be a
// file name raises 52 "Bad file name or number": an empty one, one holding U+0000 (which would
// cut the name short), and one holding an unpaired surrogate (which UTF-8 cannot carry; writing
// U+FFFD in its place would open some other file).
#pragma once

#include <filesystem>
#include <string_view>

namespace hostseal {

std::filesystem::path FilePathFromText(std::u16string_view name);

}  // namespace hostseal
