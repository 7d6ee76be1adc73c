// ResolveOutputTarget: the folder and the name in it of the file that an output path names,
// and whether a file found there may be written.
//
// The path is walked by ResolvePath (linux/path_resolution.hpp): a symbolic link at any part,
// the last included, is followed unless it lies in a sticky folder that others or its group
// may write to (such as /tmp) and belongs neither to the caller nor to the folder's owner. A link at the
// last part stays a link and the file it names is written (a link to a file not yet there
// creates that file).
//
// In such a shared folder a file found at the target is written only when it belongs to the
// caller or to the folder's owner (the kernel refuses to open any other for creation there,
// fs.protected_regular), and only when it has no other name: anyone may put a hard link to a
// file of the caller's there (where fs.protected_hardlinks is off) and have the caller's output
// written into it, or read it. Both raise 70 "Permission denied" naming the path and the reason.
#pragma once

#include <sys/stat.h>

#include <filesystem>

#include "hostseal/fs/linux/path_resolution.hpp"

namespace hostseal {

using OutputTarget = ResolvedPath;  // name: never "", "." or ".."

OutputTarget ResolveOutputTarget(const std::filesystem::path& path);

// Raises 70 when the regular file found at the target (existing) may not be written, as said
// above. folder: the target's folder, opened.
void RequireWritableTarget(int folder, const struct stat& existing,
                           const std::filesystem::path& path);

}  // namespace hostseal
