// A private folder for the file fuzz targets: a ScratchFolder made once per process (under
// /dev/shm, memory, where there is one), removed with everything in it when the process exits.
#pragma once

#include <filesystem>
#include <set>
#include <string>

namespace hostseal::fuzzing {

const std::filesystem::path& FuzzFolder();

// The names of the entries in folder, for checks that nothing was left behind.
std::set<std::string> ListFolder(const std::filesystem::path& folder);

// Replaces the file's content with size bytes from data (size may be 0).
void WriteWholeFile(const std::filesystem::path& path, const void* data, std::size_t size);

// The whole content of a regular file.
std::string ReadWholeFile(const std::filesystem::path& path);

}  // namespace hostseal::fuzzing
