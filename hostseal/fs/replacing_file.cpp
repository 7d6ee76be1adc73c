#include "hostseal/fs/replacing_file.hpp"

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <optional>

#include "hostseal/fs/file_error.hpp"
#include "hostseal/fs/interrupt_cleanup.hpp"
#include "hostseal/fs/replacing_file_system.hpp"

namespace hostseal {

namespace {

constexpr std::size_t kCopyBuffer = std::size_t{1} << 20;

}  // namespace

void ReplacingFile::WriteAt(const Byte* data, std::size_t n, std::uint64_t offset) const {
  System::RequireRoom(n, offset, m_Target);
  System::WriteAll(*m_Platform, System::File::kBuilt, data, n, offset, m_Target);
  System::StartWriteBack(*m_Platform, offset, n);
}

ReplacingFile::Way ReplacingFile::Commit() {
  if (System::MustWriteInPlace(*m_Platform, m_Target)) {
    System::WriteInPlace(*m_Platform, m_Target);
    System::DropBuilt(*m_Platform);
    return Way::kInPlace;
  }
  System::Rename(*m_Platform, m_Target);
  return Way::kRename;
}

void ReplacingFile::System::WriteAll(const Platform& platform, File file, const Byte* data,
                                     std::size_t n, std::uint64_t offset,
                                     const std::filesystem::path& path) {
  while (n > 0) {
    const std::optional<std::size_t> put = WriteSomeAt(platform, file, data, n, offset, path);
    if (!put) continue;
    data += *put;
    n -= *put;
    offset += *put;
  }
}

void ReplacingFile::System::WriteInPlace(Platform& platform, const std::filesystem::path& path) {
  const std::uint64_t length = BuiltLength(platform, path);
  struct Opened {
    Platform& platform;
    ~Opened() { ForgetTarget(platform); }
  } const opened{platform};
  if (!OpenTarget(platform, path)) {
    throw FileSystemError(ErrorNumber::kPathFileAccessError, path,
                          "another file took its place while it was being prepared");
  }
  // Space first, so that a full disk is found before a byte of the target has changed.
  const bool reserved = Reserve(platform, length, path);
  // Every interruption that ends the process waits from here until the target is complete;
  // only SIGKILL, the end of a console's grace time or a power cut can leave it partly written.
  const DeferredInterrupts deferred;
  if (!reserved) SetTargetLength(platform, length, path);
  std::uint64_t done = CopyInKernel(platform, length, path);
  if (done < length) {
    const auto buffer = std::make_unique_for_overwrite<Byte[]>(kCopyBuffer);
    while (done < length) {
      const auto ask =
          static_cast<std::size_t>(std::min<std::uint64_t>(length - done, kCopyBuffer));
      const std::optional<std::size_t> got = ReadBuiltAt(platform, buffer.get(), ask, done, path);
      if (!got) continue;
      WriteAll(platform, File::kTarget, buffer.get(), *got, done, path);
      done += *got;
    }
  }
  SetTargetLength(platform, length, path);
  FlushTarget(platform, path);
  CloseTarget(platform, path);
}

}  // namespace hostseal
