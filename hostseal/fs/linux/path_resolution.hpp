// ResolvePath: the folder, opened, and the name in it, of the file that a path names, with
// every symbolic link on the way followed on the caller's terms.
//
// The kernel follows a link wherever it meets one, and in a sticky folder that others may
// write to (such as /tmp) anyone can put one there: a link to a folder of the caller's, planted
// as a folder part of a path the caller uses, would have the caller write or read there. So the
// folders are opened in one call that refuses every link (openat2 with RESOLVE_NO_SYMLINKS),
// and where that meets a link, or the kernel lacks the call, the path is walked one part at a
// time, each opened from the folder before it without following links (O_PATH | O_NOFOLLOW).
// A link met at any part, the last included, is read
// and its target walked in turn (relative to the link's folder, or from "/"), at most 40 links
// in all as the kernel allows, and it is followed only when it lies outside such a folder or
// belongs to the caller (effective user) or to the folder's owner: the kernel's own rule for
// these folders (fs.protected_symlinks), applied whether or not the kernel applies it. Any other
// link raises 70 "Permission denied" naming the link and the reason.
//
// The caller then works only through the returned folder's descriptor (the *at calls), so that
// swapping a folder on the way for a link afterwards redirects nothing. ".." goes to the
// opened folder's parent, as the kernel's own walk does after a link. Names are bytes: any that
// the file system takes, UTF-8 or not.
#pragma once

#include <sys/stat.h>

#include <filesystem>
#include <functional>
#include <string>

#include "hostseal/fs/linux/file_descriptor.hpp"

namespace hostseal {

struct ResolvedPath {
  FileDescriptor folder;  // opened with O_PATH: for the *at calls only
  std::string name;       // not a link the rule refuses; "." or ".." when the path ends so
                          // (a trailing "/" gives "."); it may not exist
  bool procLink = false;  // name is a link of /proc's own, to be opened following it
};

// The links of /proc's own (self, fd/N, cwd) stand for what no path may name: a pipe, a deleted
// file, another mount namespace's file. In the folders on the way they are followed by the
// kernel; at the last part they are either left to the kernel for the caller to open
// (ResolvedPath::procLink: an input such as /dev/stdin), or read as any other link (an output,
// which needs a folder and a name).
enum class ProcLinks { kReadLast, kLeaveLast };

// Raises RaisedError: 70 for a link refused as above, 75 "Too many levels of symbolic links"
// past 40 links, and what the failing call's errno gives otherwise (53 for a missing folder).
ResolvedPath ResolvePath(const std::filesystem::path& path,
                         ProcLinks procLinks = ProcLinks::kReadLast);

// Called with every folder the walk opens, and the path it was reached by, before anything in
// it is opened: the start ("/", or the current folder and each folder above it up to "/" as
// "..", "../..", ...), each folder on the way, and the folders of every link's target. It may
// raise to refuse the path.
using FolderCheck = std::function<void(const struct stat& folder, const std::string& shown)>;

// The same, for callers with messages of their own: a failing call returns its errno instead
// (0 on success); a link refused by the rule above still raises 70. With a check, the walk goes
// part by part so that every folder is seen.
int TryResolvePath(const std::filesystem::path& path, ProcLinks procLinks, ResolvedPath& resolved,
                   const FolderCheck& check = {});

// A sticky folder that anyone but its owner may write to (others, such as /tmp, or its group,
// mode 1770): there, links and files of other users are not trusted (see above and ReplacingFile).
bool IsSharedFolder(const struct stat& folder);

}  // namespace hostseal
