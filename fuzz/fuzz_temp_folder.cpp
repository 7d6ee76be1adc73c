#include "fuzz/fuzz_temp_folder.hpp"

#include <cstdio>
#include <fstream>
#include <iterator>
#include <string>

#include "fuzz/fuzz_check.hpp"
#include "tests/support/scratch_folder.hpp"

namespace hostseal::fuzzing {

const std::filesystem::path& FuzzFolder() {
  static const testing::ScratchFolder folder(testing::ScratchFolder::kInMemory);
  return folder.Path();
}

std::set<std::string> ListFolder(const std::filesystem::path& folder) {
  std::set<std::string> names;
  for (const auto& entry : std::filesystem::directory_iterator(folder)) {
    names.insert(entry.path().filename().string());
  }
  return names;
}

void WriteWholeFile(const std::filesystem::path& path, const void* data, std::size_t size) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out.write(static_cast<const char*>(data), static_cast<std::streamsize>(size));
  out.close();
  FUZZ_CHECK(out.good());
}

std::string ReadWholeFile(const std::filesystem::path& path) {
  std::ifstream in(path, std::ios::binary);
  FUZZ_CHECK(in.good());
  return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

}  // namespace hostseal::fuzzing
