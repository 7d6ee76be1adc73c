// TemporaryFile: a new, private file in a given folder, in which an output is built before it
// takes its place.
//
// It is created with mode 0600, readable and writable by its owner alone, whatever the final
// file's mode will be. Where the file system allows, it has no name at all (O_TMPFILE): nobody
// can open it; LinkInto() gives it a name when it is complete. Elsewhere it is a named file
// ".NAME.XXXXXXXX.tmp", created exclusively and removed by the handlers of every signal that
// ends the process (interrupt_cleanup.hpp); where an unnamed one is asked for, the name is
// removed at once.
//
// What SIGKILL or a power cut, which no handler sees, can leave in the folder:
// - while the file is being built: nothing if it is unnamed; the part written so far, mode
//   0600, if it is named; an empty file, mode 0600, if one that was to be unnamed is killed
//   between its creation and the removal of its name;
// - in LinkInto() of an unnamed file over an existing name, between the link under a
//   temporary name and the rename over the target (two calls back to back, signals held back
//   across both): the complete file as ".NAME.XXXXXXXX.tmp", with whatever mode the caller gave
//   it; the target is intact. Linux has no call that puts an unnamed file over an existing
//   name, so this window cannot be closed;
// - nothing otherwise.
#pragma once

#include <memory>
#include <optional>
#include <string>
#include <string_view>

#include "hostseal/fs/interrupt_cleanup.hpp"
#include "hostseal/fs/linux/file_descriptor.hpp"

namespace hostseal {

class TemporaryFile {
 public:
  // Creates the file in folder (an open descriptor of it that outlives this object), named
  // after stem when it needs a name. Returns the errno of the failure instead of raising.
  // wantUnnamed: the file's name is never needed, so a named one loses it at once.
  static std::unique_ptr<TemporaryFile> Create(int folder, std::string_view stem, bool wantUnnamed,
                                               int& error);

  TemporaryFile(const TemporaryFile&) = delete;
  TemporaryFile& operator=(const TemporaryFile&) = delete;
  ~TemporaryFile();  // removes the file unless LinkInto() succeeded

  int Descriptor() const noexcept { return m_Fd.Get(); }
  bool IsNamed() const noexcept { return !m_Name.empty(); }

  // Puts the file in place as name in the folder, replacing whatever is there, with the signals
  // that end the process held back until it is done. Returns 0 or the errno of the failure; on
  // failure the file stays a temporary file.
  int LinkInto(std::string_view name);

 private:
  TemporaryFile(int folder, FileDescriptor fd, std::string name);

  int m_Folder;
  FileDescriptor m_Fd;
  std::string m_Name;  // empty for an unnamed file
  std::optional<RemovalOnInterrupt> m_Removal;
};

// For tests: whether O_TMPFILE is tried at all, so that the named files of file systems
// without it can be exercised anywhere. On by default.
void AllowUnnamedTemporaryFiles(bool allowed) noexcept;

}  // namespace hostseal
