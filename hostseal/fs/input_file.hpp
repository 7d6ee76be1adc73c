// InputFile: a regular file opened read-only, with its length taken once at opening and
// positioned reads that fill the whole buffer or fail.
//
// The file is never changed. Reads are positional (pread), so several threads may read
// different parts of it at the same time. A file that turns out shorter than its length at
// opening is a failure, never a silently short result.
#pragma once

#include <cstddef>
#include <cstdint>
#include <filesystem>

#include "hostseal/common/byte_array.hpp"
#include "hostseal/fs/file_descriptor.hpp"

namespace hostseal {

class InputFile {
 public:
  // Raises RaisedError (53 when the file does not exist) before anything else is touched.
  explicit InputFile(std::filesystem::path path);

  const std::filesystem::path& Path() const noexcept { return m_Path; }
  std::uint64_t Size() const noexcept { return m_Size; }

  // Reads exactly n bytes starting at offset, retrying short and interrupted reads.
  void ReadAt(Byte* buffer, std::size_t n, std::uint64_t offset) const;

 private:
  std::filesystem::path m_Path;
  FileDescriptor m_Fd;
  std::uint64_t m_Size = 0;
};

}  // namespace hostseal
