// The system calls beneath ReplacingFile, which linux/ and windows/ replacing_file.cpp implement
// on the files they opened; replacing_file.cpp decides everything above them once: the loops
// over short and interrupted writes, the order of the steps of Commit(), and the write in place
// with its checks.
#pragma once

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <optional>

#include "hostseal/common/byte_array.hpp"
#include "hostseal/fs/replacing_file.hpp"

namespace hostseal {

struct ReplacingFile::System {
  // The two files a write in place involves: the complete new content, built in the temporary
  // file, and the target, open for writing from OpenTarget() to CloseTarget().
  enum class File { kBuilt, kTarget };

  // Writes all n bytes at offset, retrying short and interrupted writes (replacing_file.cpp).
  static void WriteAll(const Platform& platform, File file, const Byte* data, std::size_t n,
                       std::uint64_t offset, const std::filesystem::path& path);
  // Copies the built file into the target and cuts the target to its length, with the signals
  // that end the process held back meanwhile (replacing_file.cpp).
  static void WriteInPlace(Platform& platform, const std::filesystem::path& path);

  // One write of at most n bytes at offset: the bytes written, at least one; none when a signal
  // interrupted it before anything was written. Raises the system's error, naming path.
  static std::optional<std::size_t> WriteSomeAt(const Platform& platform, File file,
                                                const Byte* data, std::size_t n,
                                                std::uint64_t offset,
                                                const std::filesystem::path& path);
  // Raises 61 for a write that would pass the process's file-size limit.
  static void RequireRoom(std::size_t n, std::uint64_t offset, const std::filesystem::path& path);
  // Lets the disk start on bytes just written to the built file; only a hint.
  static void StartWriteBack(const Platform& platform, std::uint64_t offset,
                             std::size_t n) noexcept;

  // Whether the built file must be written into the target rather than renamed over it,
  // asked just before it is put in place.
  static bool MustWriteInPlace(Platform& platform, const std::filesystem::path& path);
  // Gives the built file the target's permissions or attributes, flushes it to disk and renames
  // it over the target.
  static void Rename(Platform& platform, const std::filesystem::path& path);
  // Lets the built file go once its content is in the target, where the system lets it go
  // before the object does.
  static void DropBuilt(Platform& platform) noexcept;

  // The length of the built file.
  static std::uint64_t BuiltLength(const Platform& platform, const std::filesystem::path& path);
  // Opens the target for writing; false when it is no longer the file that was found at first.
  static bool OpenTarget(Platform& platform, const std::filesystem::path& path);
  // Asks for the space of length bytes for the target without changing what it holds; false
  // where the file system cannot, in which case the target is brought to that length before
  // the copy. Raises a failure such as a full disk.
  static bool Reserve(Platform& platform, std::uint64_t length, const std::filesystem::path& path);
  // Copies what the kernel copies by itself from the start of the built file to the start of
  // the target, and returns how much that was (from 0 to length); the rest goes through a
  // buffer.
  static std::uint64_t CopyInKernel(Platform& platform, std::uint64_t length,
                                    const std::filesystem::path& path);
  // One read of at most n bytes of the built file at offset: at least one byte, or none when a
  // signal interrupted it. Raises the system's error, and a failure at the end of the file.
  static std::optional<std::size_t> ReadBuiltAt(const Platform& platform, Byte* buffer,
                                                std::size_t n, std::uint64_t offset,
                                                const std::filesystem::path& path);
  static void SetTargetLength(Platform& platform, std::uint64_t length,
                              const std::filesystem::path& path);
  static void FlushTarget(Platform& platform, const std::filesystem::path& path);
  // Closes the target where the result of closing matters, and raises what the system reports;
  // elsewhere the target closes with ForgetTarget().
  static void CloseTarget(Platform& platform, const std::filesystem::path& path);
  // Closes the target, if it is open, and lets any failure of that go.
  static void ForgetTarget(Platform& platform) noexcept;
};

}  // namespace hostseal
