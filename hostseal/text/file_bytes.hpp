// LoadFileBytes: a whole file of at most 32,767 bytes into a byte array with one extra zero
// element, and its length.
//
// The file name is 16-bit text, opened as the UTF-8 path it encodes. Failures raise RaisedError
// with a description that names the path: 53 "File not found" (also for a missing folder on the
// way), 70 "Permission denied", 75 "Path/File access error" (a folder, a FIFO, a device or anything
// else that is not a regular file, or any other refusal to open), 52 "Bad file name or number" (an
// empty name, one with U+0000 or a lone surrogate, which no UTF-8 path can carry), 57 "Device I/O
// error" (a read that fails or ends early), and 6 "Overflow" for a file longer than 32,767 bytes.
// The file is closed on every path, and on a failure aData and nSize keep what they held.
#pragma once

#include <cstdint>
#include <string>

#include "hostseal/common/byte_array.hpp"

namespace hostseal {

void LoadFileBytes(const std::u16string& sFileName, ByteArray& aData, std::int16_t& nSize);

}  // namespace hostseal
