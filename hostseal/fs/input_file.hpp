// InputFile: a regular file opened read-only, with its length taken once at opening and
// positioned reads.
//
// The file is never changed. Reads are positional, so several threads may read different parts
// of it at the same time. A file that turns out shorter than its length at opening is a
// failure, never a silently short result; RequireUnchanged() tells a file that was written
// while it was read. Files of the kernel's pseudo file systems (/proc reports the length 0,
// sysfs a page, whatever they hold) are read with ReadUpTo() to their end. On Linux the path is
// walked as linux/path_resolution.hpp says: a link that another user planted in a shared
// folder, at any part of the path, is refused with 70. Close() lets the file go before the
// object does: an output that takes the input's own place (ReplacingFile::Commit()) must find
// it closed on Windows, where an open file cannot be replaced.
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

  // Raises 75 "the file changed while it was read" when what was read may not be the file: its
  // length is no longer the one it had at opening, it holds bytes beyond that length, or (on
  // Linux) its modification or change time moved, to the nanosecond; a name of it removed or
  // added meanwhile moves the change time alone, and is not a change. A rewrite that keeps
  // the length is seen only through the times, which the kernel takes from a clock that
  // advances in ticks of a few milliseconds: within the tick of the file's previous change,
  // it can go unseen.
  void RequireUnchanged() const;

  // Closes the file. Afterwards only Path(), Size() and Permissions() may be called.
  void Close() noexcept;

 private:
  class Handle;   // the open file: linux/ or windows/ input_file.cpp
  struct System;  // the system calls on it: input_file_system.hpp

  std::filesystem::path m_Path;
  std::unique_ptr<Handle> m_Handle;
  std::uint64_t m_Size = 0;
  std::filesystem::perms m_Permissions = std::filesystem::perms::none;
};

}  // namespace hostseal
