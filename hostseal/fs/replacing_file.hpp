// ReplacingFile: a file's new content, built completely elsewhere and put in place only when
// complete, so that the target holds either its former content or the whole new one.
//
// The content is built in a private temporary file (mode 0600, unnamed where the file system
// allows) in the target's folder. Commit() flushes it to disk and puts it in place in one of
// two ways:
//
// - by renaming it over the target, when that keeps everything the user had: the target is new,
//   or it has a single link and its owner and group can be carried over. The new file gets the
//   former target's mode, owner and group; a new target gets the permission bits asked for
//   (those of the input, as cp does) less the umask.
// - by writing it into the target in place (space reserved first, then written, cut to length
//   and flushed), when the target has other hard links that must see the new content, belongs
//   to someone whose ownership a new file could not carry, or lies in a folder the caller may
//   not write to while the file itself is writable. The complete result is then built in the
//   target's folder if possible, else in TMPDIR (or /tmp). Interruptions by SIGINT, SIGTERM and
//   SIGHUP wait until the write is done; a crash or power cut in the middle of it can leave the
//   target partly written, which renaming never does.
//
// Without a Commit() the temporary file goes and the target is left alone, also when it is
// the very file that is being read. Targets are resolved by ResolveOutputTarget (links planted
// in shared folders are refused); a target that is not a regular file is refused, as is one
// the caller may not write to, and one that another user put in a shared folder.
#pragma once

#include <sys/stat.h>

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <memory>
#include <optional>
#include <string>

#include "hostseal/common/byte_array.hpp"
#include "hostseal/fs/output_target.hpp"
#include "hostseal/fs/temporary_file.hpp"

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
  bool TargetExisted() const noexcept { return m_Existing.has_value(); }

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
  bool CanRename(const struct stat& existing);
  void WriteInPlace();

  std::filesystem::path m_Target;  // as the caller named it
  OutputTarget m_File;             // the file that is replaced, links followed
  std::optional<struct stat> m_Existing;
  mode_t m_NewMode = 0;  // for a new target
  bool m_InPlace = false;
  FileDescriptor m_TemporaryFolder;  // TMPDIR, when the target's folder cannot take the file
  std::unique_ptr<TemporaryFile> m_Temporary;
};

}  // namespace hostseal
