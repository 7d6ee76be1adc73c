// A whole file's bytes, read or written in one call: what a test puts in place before a run
// and reads back after it. A file that cannot be read reads as empty.
#pragma once

#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>

namespace hostseal::testing {

inline std::string ReadFile(const std::filesystem::path& path) {
  std::ifstream in(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

inline void WriteFile(const std::filesystem::path& path, const std::string& bytes) {
  std::ofstream(path, std::ios::binary | std::ios::trunc) << bytes;
}

}  // namespace hostseal::testing
