// InputFile: a regular file opened read-only, with its length taken once at opening and
// positioned reads.
//
// The file is never changed. Reads are positional, so several threads may read different parts
// of it at the same time. A file that turns out shorter than its length at
// opening is a failure, never a silently short result; RequireUnchanged() tells a file that
// grew or shrank while it was read. Files of the kernel's pseudo file systems (/proc, /sys)
// report the length 0 whatever they hold: such a file is read with ReadUpTo() to its end.
// Close() lets the file go before the object does: an output that takes the input's own place
// (ReplacingFile::Commit()) must find it closed on Windows, where an open file cannot be
// replaced.
#pragma once

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <memory>

#include "hostseal/common/byte_array.hpp"

namespace hostseal {

class InputFile {
 public:
  // Raises RaisedError (53 when the file does not exist) before anything else is touched.
  explicit InputFile(std::filesystem::path path);
  InputFile(const InputFile&) = delete;
  InputFile& operator=(const InputFile&) = delete;
  ~InputFile();

  const std::filesystem::path& Path() const noexcept { return m_Path; }
  std::uint64_t Size() const noexcept { return m_Size; }
  std::filesystem::perms Permissions() const noexcept { return m_Permissions; }

  // Reads exactly n bytes starting at offset, retrying short and interrupted reads.
  void ReadAt(Byte* buffer, std::size_t n, std::uint64_t offset) const;

  // Reads up to n bytes starting at offset; fewer only at the end of the file.
  std::size_t ReadUpTo(Byte* buffer, std::size_t n, std::uint64_t offset) const;

  // Raises 75 when the file's length is no longer the one it had at opening, or when it holds
  // bytes beyond that length: it changed while it was read, and what was read is not the file.
  void RequireUnchanged() const;

  // Closes the file. Afterwards only Path(), Size() and Permissions() may be called.
  void Close() noexcept;

 private:
  class Handle;  // the open file: linux/ or windows/ input_file.cpp

  std::filesystem::path m_Path;
  std::unique_ptr<Handle> m_Handle;
  std::uint64_t m_Size = 0;
  std::filesystem::perms m_Permissions = std::filesystem::perms::none;
};

}  // namespace hostseal
