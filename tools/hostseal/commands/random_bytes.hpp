// FillRandomBytes: bytes from the operating system's random source, for new keys: getrandom(2)
// on Linux, BCryptGenRandom with the system's preferred generator on Windows (7 and later).
// Nothing else is a source: there is no fallback to a weaker generator.
#pragma once

#include <cstddef>

#include "hostseal/common/byte_array.hpp"

namespace hostseal::cli {

// Fills all size bytes; raises a RaisedError (57, device I/O error) when the source fails.
void FillRandomBytes(Byte* data, std::size_t size);

}  // namespace hostseal::cli
