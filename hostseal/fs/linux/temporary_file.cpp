#include "hostseal/fs/linux/temporary_file.hpp"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <random>
#include <utility>

#include "hostseal/common/utf8_codec.hpp"

namespace hostseal {

namespace {

constexpr mode_t kPrivateMode = 0600;
// Leaves room for the prefix and suffix within the usual 255-byte limit of a name.
constexpr std::size_t kStemKept = 200;
constexpr int kNameAttempts = 100;

std::atomic<bool> g_UnnamedAllowed{true};

// The stem cut to at most kStemKept bytes, between characters: a UTF-8 character is kept whole
// or not at all; bytes that are not UTF-8 are kept a piece at a time, as the codec reads them.
std::string_view KeptStem(std::string_view stem) {
  std::size_t kept = 0;
  while (kept < stem.size()) {
    const std::size_t length = DecodeUtf8Character(stem.data() + kept, stem.size() - kept).length;
    if (kept + length > kStemKept) break;
    kept += length;
  }
  return stem.substr(0, kept);
}

std::string RandomName(std::string_view stem) {
  static constexpr std::string_view kDigits = "0123456789abcdefghijklmnopqrstuvwxyz";
  std::random_device device;
  std::uniform_int_distribution<std::size_t> pick(0, kDigits.size() - 1);
  std::string name = ".";
  name += KeptStem(stem);
  name += '.';
  for (int i = 0; i < 8; ++i) name += kDigits[pick(device)];
  name += ".tmp";
  return name;
}

// Errors that mean "this file system (or kernel) has no unnamed files", not "you may not".
bool NoUnnamedFiles(int error) {
  return error == EOPNOTSUPP || error == EISDIR || error == EINVAL;
}

}  // namespace

void AllowUnnamedTemporaryFiles(bool allowed) noexcept {
  g_UnnamedAllowed.store(allowed);
}

TemporaryFile::TemporaryFile(int folder, FileDescriptor fd, std::string name)
    : m_Folder(folder), m_Fd(std::move(fd)), m_Name(std::move(name)) {}

TemporaryFile::~TemporaryFile() {
  m_Fd.Close();
  if (!m_Name.empty()) ::unlinkat(m_Folder, m_Name.c_str(), 0);
}

std::unique_ptr<TemporaryFile> TemporaryFile::Create(int folder, std::string_view stem,
                                                     bool wantUnnamed, int& error) {
  error = 0;
  if (g_UnnamedAllowed.load()) {
    const int fd = ::openat(folder, ".", O_TMPFILE | O_RDWR | O_CLOEXEC | O_NOCTTY, kPrivateMode);
    if (fd >= 0) {
      return std::unique_ptr<TemporaryFile>(new TemporaryFile(folder, FileDescriptor(fd), {}));
    }
    if (!NoUnnamedFiles(errno)) {
      error = errno;
      return nullptr;
    }
  }
  for (int attempt = 0; attempt < kNameAttempts; ++attempt) {
    std::string name = RandomName(stem);
    // Held back while the file exists without its registration, so that an interruption
    // cannot leave it, nor remove a file of the same name that was there first.
    const DeferredInterrupts deferred;
    const int fd =
        ::openat(folder, name.c_str(),
                 O_RDWR | O_CREAT | O_EXCL | O_CLOEXEC | O_NOCTTY | O_NOFOLLOW, kPrivateMode);
    if (fd < 0) {
      if (errno == EEXIST || errno == EINTR) continue;
      error = errno;
      return nullptr;
    }
    if (wantUnnamed) {
      ::unlinkat(folder, name.c_str(), 0);
      return std::unique_ptr<TemporaryFile>(new TemporaryFile(folder, FileDescriptor(fd), {}));
    }
    std::unique_ptr<TemporaryFile> file(new TemporaryFile(folder, FileDescriptor(fd), name));
    file->m_Removal.emplace(folder, file->m_Name);
    return file;
  }
  error = EEXIST;
  return nullptr;
}

int TemporaryFile::LinkInto(std::string_view name) {
  const std::string target(name);
  // Held back from here until the file has its final name: a signal in between would leave the
  // complete file under its temporary name.
  const DeferredInterrupts deferred;
  if (m_Name.empty()) {
    // An unnamed file gets a name by linking it from its /proc entry. Linux cannot put it over
    // a file that is there (linkat does not replace, renameat needs a name to move): then it is
    // linked under a temporary name and renamed over the target at once, the name registered
    // for removal before it exists, so that nothing but SIGKILL or a power cut comes between
    // the two calls.
    const std::string self = "/proc/self/fd/" + std::to_string(m_Fd.Get());
    if (::linkat(AT_FDCWD, self.c_str(), m_Folder, target.c_str(), AT_SYMLINK_FOLLOW) == 0) {
      return 0;
    }
    if (errno != EEXIST) return errno;
    for (int attempt = 0; attempt < kNameAttempts; ++attempt) {
      std::string temporary = RandomName(target);
      m_Removal.emplace(m_Folder, temporary);
      if (::linkat(AT_FDCWD, self.c_str(), m_Folder, temporary.c_str(), AT_SYMLINK_FOLLOW) == 0) {
        const int renamed =
            ::renameat(m_Folder, temporary.c_str(), m_Folder, target.c_str()) == 0 ? 0 : errno;
        if (renamed == 0) {
          m_Removal.reset();
        } else {
          m_Name = std::move(temporary);  // stays a temporary file, removed as such
        }
        return renamed;
      }
      const int error = errno;
      m_Removal.reset();  // the name is someone else's, or nobody's
      if (error != EEXIST) return error;
    }
    return EEXIST;
  }
  if (::renameat(m_Folder, m_Name.c_str(), m_Folder, target.c_str()) != 0) return errno;
  m_Removal.reset();
  m_Name.clear();
  return 0;
}

}  // namespace hostseal
