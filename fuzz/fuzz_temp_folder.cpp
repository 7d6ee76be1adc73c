#include "fuzz/fuzz_temp_folder.hpp"

#include <cstdio>
#include <fstream>

#include "fuzz/fuzz_check.hpp"
#include "tests/support/scratch_folder.hpp"

namespace hostseal::fuzzing {

const std::filesystem::path& FuzzFolder() {
  static const testing::ScratchFolder folder(testing::ScratchFolder::kInMemory);
  return folder.Path();
}

void WriteWholeFile(const std::filesystem::path& path, const void* data, std::size_t size) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out.write(static_cast<const char*>(data), static_cast<std::streamsize>(size));
  out.close();
  FUZZ_CHECK(out.good());
}

}  // namespace hostseal::fuzzing
