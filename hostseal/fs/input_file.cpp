#include "hostseal/fs/input_file.hpp"

#include <cstddef>
#include <cstdint>
#include <optional>

#include "hostseal/fs/file_error.hpp"
#include "hostseal/fs/input_file_system.hpp"

namespace hostseal {

void InputFile::ReadAt(Byte* buffer, std::size_t n, std::uint64_t offset) const {
  if (ReadUpTo(buffer, n, offset) != n) {
    throw FileSystemError(ErrorNumber::kPathFileAccessError, m_Path, kInputChanged);
  }
}

std::size_t InputFile::ReadUpTo(Byte* buffer, std::size_t n, std::uint64_t offset) const {
  std::size_t done = 0;
  while (done < n) {
    // The position goes with each read, so threads reading different parts do not meet.
    const std::optional<std::size_t> got =
        System::ReadSomeAt(*m_Handle, buffer + done, n - done, offset + done, m_Path);
    if (!got) continue;
    if (*got == 0) break;
    done += *got;
  }
  return done;
}

void InputFile::RequireUnchanged() const {
  const System::Standing now = System::Now(*m_Handle, m_Path);
  Byte beyond = 0;
  if ((now.length && *now.length != m_Size) || now.rewritten ||
      (m_Size > 0 && ReadUpTo(&beyond, 1, m_Size) != 0)) {
    throw FileSystemError(ErrorNumber::kPathFileAccessError, m_Path, kInputChanged);
  }
}

}  // namespace hostseal
