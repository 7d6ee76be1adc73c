// FileIdentity: what an open file is, whatever name reached it, so that a key source that is
// the command's data input can be told by what it is rather than by how it is named
// ("/dev/stdin", "/proc/self/fd/0", "/dev/fd/0" and "-" all reach standard input on Linux).
#pragma once

#include <cstdint>
#include <optional>
#include <string>

namespace hostseal::cli {

// Linux: the device and inode number (for a pipe, the pipe's inode). Windows: the volume's
// serial number and the file index.
struct FileIdentity {
  std::uint64_t volume = 0;
  std::uint64_t index = 0;
  bool operator==(const FileIdentity&) const = default;
};

// The identity of an open descriptor (Linux) or HANDLE (Windows); nothing when the system
// gives none (a console, a device without an index).
std::optional<FileIdentity> IdentityOfHandle(std::intptr_t handle);

std::optional<FileIdentity> IdentityOfStandardInput();

// The identity of the file at path (IN or OUT of a command), found before the command opens
// it; nothing when it cannot be reached (the command says why once it tries) or does not exist.
std::optional<FileIdentity> IdentityOfPath(const std::string& path);

}  // namespace hostseal::cli
