// LoadFileBytes: a whole file of at most 32,767 bytes into a byte array with one extra zero
// element, and its length.
//
// The file name is 16-bit text, opened as the UTF-8 path it encodes. Failures raise the file
// layer's errors (hostseal/fs), which name the path and the system's reason: 53 "File not
// found" (also for a missing folder on the way), 70 "Permission denied", 75 "Path/File access
// error" (a folder, a FIFO, a device or anything else that is not a regular file, a file that
// changed while it was read), 52 "Bad file name or number" (an empty name, one with U+0000 or
// an unpaired surrogate, which no UTF-8 path can carry), 57 "Device I/O error", and 6
// "Overflow" for a file longer than 32,767 bytes. Pseudo files that report no length (/proc,
// /sys) are read to their end. The file is closed on every path, and on a failure aData and
// nSize keep what they held.
#pragma once

#include <cstdint>
#include <string>

#include "hostseal/common/byte_array.hpp"

namespace hostseal {

void LoadFileBytes(const std::u16string& sFileName, ByteArray& aData, std::int16_t& nSize);

}  // namespace hostseal
