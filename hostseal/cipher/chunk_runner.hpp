// RunChunks: works through numbered chunks of a file on the calling thread and, when the
// machine has a second core and there is more than one chunk, one helper thread (none when the
// system refuses to start one: the calling thread then does all chunks).
//
// Each thread owns one chunk buffer for the whole run, so memory stays at two buffers however
// long the file; the buffers are wiped before they are freed, since they held plain text. The jobs must not depend on each other's order (chunks of the file framing
// are independent and are read and written at their own offsets). Progress is reported on the
// calling thread only. The first failure stops new chunks from starting and is raised on the
// calling thread once the helper has stopped; the call never returns while a helper runs.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>

#include "hostseal/common/byte_array.hpp"

namespace hostseal {

// job(index, buffer) handles chunk `index` with a buffer of bufferSize bytes (contents left by
// an earlier chunk). After each chunk of its own the calling thread calls report(done) with
// the number of chunks complete, counted up to count - 1, whenever that number grew; so with
// more than one chunk there is at least one report, and it comes before RunChunks returns.
void RunChunks(std::uint64_t count, std::size_t bufferSize,
               const std::function<void(std::uint64_t index, Byte* buffer)>& job,
               const std::function<void(std::uint64_t done)>& report);

}  // namespace hostseal
