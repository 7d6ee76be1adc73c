// ResolveOutputTarget: the folder and the name in it of the file that an output path names.
//
// Symbolic links in the last part of the path are followed, so that a link stays in place and
// the file it names is written (a link to a file not yet there creates that file). Links in
// the folders on the way are followed by the kernel. A link that lies in a sticky folder
// writable by everyone (such as /tmp) is followed only when it belongs to the caller or to the
// folder's owner, the kernel's own rule for such folders: otherwise another user could plant
// a link there and have the caller overwrite or create a file of the planter's choosing.
// Such a link raises 70 "Permission denied" naming the path and the reason.
#pragma once

#include <sys/stat.h>

#include <filesystem>
#include <string>

#include "hostseal/fs/linux/file_descriptor.hpp"

namespace hostseal {

struct OutputTarget {
  FileDescriptor folder;  // opened with O_PATH: for the *at calls only
  std::string name;       // a name in that folder, never "", "." or ".."
};

OutputTarget ResolveOutputTarget(const std::filesystem::path& path);

// A sticky folder that everyone may write to, such as /tmp: there, links and files of other
// users are not trusted (see above and ReplacingFile).
bool IsSharedFolder(const struct stat& folder);

}  // namespace hostseal
