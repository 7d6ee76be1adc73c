// ReplacingFile: a file's new content, built completely elsewhere and put in place only when
// complete, so that the target holds either its former content or the whole new one.
//
// The content is built in a private temporary file in the target's folder, readable and
// writable by its owner alone. Commit() flushes it to disk and puts it in place, in one of two
// ways:
//
// - by renaming it over the target, when that keeps everything the user had. The new file
//   takes the former target's permissions and ownership; a new target gets the permissions
//   asked for (those of the input, as cp does) less the umask where the system has one.
// - by writing it into the target in place, when a rename would lose something: on Linux a
//   target with other hard links that must see the new content, one that belongs to someone
//   whose ownership a new file could not carry, or one in a folder the caller may not write to
//   while the file itself is writable. A crash or power cut in the middle of it can leave the
//   target partly written, which renaming never does.
//
// Without a Commit() the temporary file goes and the target is left alone, also when it is
// the very file that is being read; a process ended by a signal (Ctrl-C, SIGTERM, a closed
// console, on Linux every signal whose default ends a process) removes it on its way out, and
// one that arrives while Commit() puts the file in place waits until it is there. What
// SIGKILL or a power cut can leave on Linux: a partly written temporary file where the file
// system has no unnamed files, the complete one under its temporary name (".NAME.XXXXXXXX.tmp",
// with the target's mode) if the end comes between linking and renaming it over an existing
// target, and a partly written target during a write in place; nothing otherwise
// (linux/temporary_file.hpp). A target that is not a regular file is refused, as is one the
// caller may not write to. On Linux so are, with 70, a link that another user planted in a
// shared folder at any part of the path, and in such a folder a file of another user's or one
// with other hard links (linux/output_target.hpp); the target's folder is held open from the
// start, so that the output lands there even if a folder on the way is swapped for a link
// before Commit(). On Windows a target that another program holds open is refused before any
// work, since Windows does not replace an open file. The target may be the file being read:
// the caller closes that input (InputFile::Close()) before Commit(). replacing_file.cpp takes
// the steps both systems share; the platform's way is in linux/ and windows/ replacing_file.cpp.
#pragma once

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <memory>

#include "hostseal/common/byte_array.hpp"

namespace hostseal {

class ReplacingFile {
 public:
  enum class Way { kRename, kInPlace };

  // Creates the temporary file; raises RaisedError when that is not possible.
  ReplacingFile(std::filesystem::path target, std::filesystem::perms newFilePermissions);
  ReplacingFile(const ReplacingFile&) = delete;
  ReplacingFile& operator=(const ReplacingFile&) = delete;
  ~ReplacingFile();

  const std::filesystem::path& Target() const noexcept { return m_Target; }
  // Whether a file stood at the target when this object was made.
  bool TargetExisted() const noexcept { return m_Existed; }

  // Writes all n bytes at offset, retrying short and interrupted writes. Different threads
  // may write different ranges at the same time. A write beyond the process's file-size limit
  // (RLIMIT_FSIZE) raises 61 before anything is written, instead of the process receiving
  // SIGXFSZ.
  void WriteAt(const Byte* data, std::size_t n, std::uint64_t offset) const;

  // Puts the complete content in place and returns the way it took. On failure the temporary
  // file goes; the target keeps its former content, except after a failure in the middle of
  // writing it in place.
  Way Commit();

 private:
  class Platform;  // the files: linux/ or windows/ replacing_file.cpp
  struct System;   // the system calls on them: replacing_file_system.hpp

  std::filesystem::path m_Target;  // as the caller named it
  bool m_Existed = false;
  std::unique_ptr<Platform> m_Platform;
};

}  // namespace hostseal
