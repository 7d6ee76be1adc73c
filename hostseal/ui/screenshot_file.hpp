// WriteScreenshotFile: a picture of the window, already encoded as a PNG image, written to the
// file that the user named, by the window of every toolkit.
//
// The bytes go through ReplacingFile as every output of hostseal does, so that the file layer's
// rules and messages hold for the screenshot too: a former file of that name is replaced whole
// or not at all (also past the file-size limit), a target that is not a regular file is refused
// without being opened, and on Linux links, hard links and other users' files planted in a
// shared folder are refused with 70 naming them. A new file gets mode 0644 less the umask, as
// other programs save pictures; a former one keeps its own mode, owner and group.
#pragma once

#include <span>
#include <string_view>

#include "hostseal/common/byte_array.hpp"

namespace hostseal {

// Raises the file layer's RaisedError when the file cannot be written; its description names
// the file, control characters shown as their codes.
void WriteScreenshotFile(std::u16string_view fileName, std::span<const Byte> png);

// The RaisedError for a window that could not be drawn or encoded: 57, naming the file.
[[noreturn]] void RaiseScreenshotNotDrawn(std::u16string_view fileName);

}  // namespace hostseal
