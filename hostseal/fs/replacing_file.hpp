// ReplacingFile: writes a file's new content beside it and puts it in place only when complete.
//
// The content goes to a new temporary file in the target's folder (".NAME.XXXXXXXX.tmp",
// created exclusively, with the target's permission bits when the target exists and those of
// any new file otherwise). Commit() flushes it to disk and renames it over the target, so the
// target holds either its former content or the whole new content, never a part. Without a
// Commit() the temporary file is removed and the target is left alone; that includes the
// target being the very file the caller is still reading from.
//
// A symbolic link as target is followed: the file it points to is replaced, the link stays.
// Targets that are neither regular files nor missing (directories, devices, pipes) are
// refused, since renaming over them would not write into them.
#pragma once

#include <cstddef>
#include <cstdint>
#include <filesystem>

#include "hostseal/common/byte_array.hpp"
#include "hostseal/fs/file_descriptor.hpp"

namespace hostseal {

class ReplacingFile {
 public:
  // Creates the temporary file; raises RaisedError when that is not possible.
  explicit ReplacingFile(std::filesystem::path target);
  ReplacingFile(const ReplacingFile&) = delete;
  ReplacingFile& operator=(const ReplacingFile&) = delete;
  ~ReplacingFile();

  const std::filesystem::path& Target() const noexcept { return m_Target; }
  const std::filesystem::path& TemporaryPath() const noexcept { return m_Temporary; }

  // Writes all n bytes at offset, retrying short and interrupted writes. Different threads
  // may write different ranges at the same time. A write beyond the process's file-size limit
  // (RLIMIT_FSIZE) raises 61 before anything is written, instead of the process receiving
  // SIGXFSZ.
  void WriteAt(const Byte* data, std::size_t n, std::uint64_t offset) const;

  // Flushes the content to disk and renames it over the target. On failure the temporary
  // file is removed and the target keeps its former content.
  void Commit();

 private:
  void RemoveTemporary() noexcept;

  std::filesystem::path m_Target;  // as the caller named it
  std::filesystem::path m_File;    // the file that is replaced, links followed
  std::filesystem::path m_Temporary;
  FileDescriptor m_Fd;
  bool m_Committed = false;
};

}  // namespace hostseal
