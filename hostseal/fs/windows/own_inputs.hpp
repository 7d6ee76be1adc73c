// The files this process is reading through InputFile, for a check that a file is open nowhere
// (replacing_file.cpp): when the output is the input itself, this process's own reading handle
// must not count as another program's. The handles belong to input_file.cpp, which implements
// what is declared here.
#pragma once

#include <windows.h>

#include <cstdint>
#include <filesystem>
#include <functional>
#include <optional>

namespace hostseal {

// A file as the file system knows it, whatever name it is reached by.
struct FileIdentity {
  DWORD volume = 0;
  std::uint64_t index = 0;
  bool operator==(const FileIdentity&) const = default;
};

std::optional<FileIdentity> IdentityOf(HANDLE file) noexcept;

// Runs check() with every InputFile handle of this process on that file closed, and opens
// them again afterwards by their names. Reads of those files wait meanwhile. Raises 75 when a
// name no longer leads to the same file, and whatever check() raises.
void CheckWithOwnInputsClosed(const FileIdentity& file, const std::function<void()>& check);

}  // namespace hostseal
