// The system calls beneath InputFile, which linux/ and windows/ input_file.cpp implement on the
// file they opened; input_file.cpp decides everything above them once: the loops over short and
// interrupted reads, the offsets, and whether the file changed while it was read.
#pragma once

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <optional>
#include <string_view>

#include "hostseal/common/byte_array.hpp"
#include "hostseal/fs/input_file.hpp"

namespace hostseal {

// The message of 75 for a file that may not be what was read.
inline constexpr std::string_view kInputChanged = "the file changed while it was read";

struct InputFile::System {
  // The file as it stands now, measured against how it stood when it was opened.
  struct Standing {
    // Its length; none for a file whose length says nothing of what it holds (sysfs).
    std::optional<std::uint64_t> length;
    // Whether something other than its length tells that it was written since it was opened.
    bool rewritten = false;
  };

  // One read of at most n bytes at offset: the bytes read, 0 at the end of the file, none
  // when a signal interrupted it before anything was read. Raises the system's error, naming
  // path.
  static std::optional<std::size_t> ReadSomeAt(const Handle& file, Byte* buffer, std::size_t n,
                                               std::uint64_t offset,
                                               const std::filesystem::path& path);

  // Raises the system's error, naming path, when the file cannot be asked.
  static Standing Now(const Handle& file, const std::filesystem::path& path);
};

}  // namespace hostseal
