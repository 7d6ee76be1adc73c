// A private folder for the command line's fuzz target: a ScratchFolder made once per process
// (under /dev/shm, memory, where there is one), removed with everything in it when the process
// exits.
#pragma once

#include <cstddef>
#include <filesystem>

namespace hostseal::fuzzing {

const std::filesystem::path& FuzzFolder();

// Replaces the file's content with size bytes from data (size may be 0).
void WriteWholeFile(const std::filesystem::path& path, const void* data, std::size_t size);

}  // namespace hostseal::fuzzing
