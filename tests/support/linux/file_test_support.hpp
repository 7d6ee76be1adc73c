// Helpers for the file-encryption tests: a keyed cipher beside a scratch folder, whole-file
// reads and writes, open-descriptor counts, and running a check in a forked child process.
#pragma once

#include <fcntl.h>
#include <grp.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <random>
#include <stdexcept>
#include <string>
#include <vector>

#include "hostseal/cipher/rijndael.hpp"
#include "hostseal/common/byte_array.hpp"
#include "hostseal/common/raised_error.hpp"
#include "tests/support/cipher_test_support.hpp"
#include "tests/support/recording_sink.hpp"
#include "tests/support/scratch_folder.hpp"

namespace hostseal::testing {

// The file layer reads and writes files in chunks of this many bytes.
constexpr std::size_t kChunk = 4'000'000;

// A cipher under the AES-128 key Sequence(16, 1) that shows its messages to sink, and a
// scratch folder.
class FileCipherTest : public ::testing::Test {
 protected:
  FileCipherTest() { c.SetCipherKey(ByteArray(Sequence(16, 1)), 128); }

  // The cipher file of 100 plain bytes under another key whose last block, decrypted under
  // the key of c, passes fits (by default: a length field of 16 or more).
  template <typename Fits>
  std::vector<Byte> CipherUnderAnotherKey(Fits fits) const {
    cRijndael other;
    for (Byte seed = 2;; ++seed) {
      other.SetCipherKey(ByteArray(Sequence(16, seed)), 128);
      ByteArray cipher;
      other.ArrayEncrypt(ByteArray(Sequence(100)), cipher, 1);
      ByteArray framed;
      c.ArrayDecrypt(framed, cipher, 0);
      if (fits(framed.Bytes().data() + framed.Size() - 16)) return cipher.Bytes();
    }
  }
  std::vector<Byte> CipherUnderAnotherKey() const {
    return CipherUnderAnotherKey([](const Byte* last) { return last[15] >= 16; });
  }

  RecordingSink sink;
  cRijndael c{sink};
  ScratchFolder dir;
};

inline void WriteFile(const std::filesystem::path& path, const std::vector<Byte>& bytes) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out.write(reinterpret_cast<const char*>(bytes.data()),
            static_cast<std::streamsize>(bytes.size()));
  if (!out) throw std::runtime_error("cannot write " + path.string());
}

inline std::vector<Byte> ReadFile(const std::filesystem::path& path) {
  std::ifstream in(path, std::ios::binary);
  if (!in) throw std::runtime_error("cannot read " + path.string());
  std::vector<Byte> bytes(std::filesystem::file_size(path));
  in.read(reinterpret_cast<char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
  if (!in) throw std::runtime_error("cannot read " + path.string());
  return bytes;
}

inline std::vector<Byte> RandomBytes(std::size_t n, std::uint64_t seed) {
  std::mt19937_64 engine(seed);
  std::vector<Byte> out(n);
  std::size_t i = 0;
  for (; i + 8 <= n; i += 8) {
    std::uint64_t word = engine();
    for (int k = 0; k < 8; ++k, word >>= 8)
      out[i + static_cast<std::size_t>(k)] = static_cast<Byte>(word);
  }
  for (; i < n; ++i) out[i] = static_cast<Byte>(engine());
  return out;
}

// The RaisedError that call raises: its number (0 when it raises none) and its description.
struct Raised {
  std::int32_t number = 0;
  std::string description;
  bool Names(const std::filesystem::path& path) const {
    return description.find(path.string()) != std::string::npos;
  }
};

inline Raised RaisedBy(const std::function<void()>& call) {
  try {
    call();
  } catch (const RaisedError& e) {
    return {e.Number(), e.Description()};
  }
  return {};
}

// c encrypts input into target, or decrypts it into target.
inline std::int32_t Crypt(const cRijndael& c, bool encrypt, const std::filesystem::path& input,
                          const std::filesystem::path& target,
                          const cRijndael::FileProgress& progress = {}) {
  return encrypt ? c.FileEncrypt(input, target, progress) : c.FileDecrypt(target, input, progress);
}

inline std::int32_t ErrorNumberOf(const std::function<void()>& call) {
  return RaisedBy(call).number;
}

inline std::size_t CountOpenDescriptors() {
  std::size_t count = 0;
  for ([[maybe_unused]] const auto& entry : std::filesystem::directory_iterator("/proc/self/fd")) {
    ++count;
  }
  return count;
}

// Runs check in a forked child and returns what it returned: empty for success, otherwise a
// description of what went wrong. The child leaves with _exit, so nothing of the test
// framework runs twice.
inline std::string RunInChild(const std::function<std::string()>& check) {
  int fds[2];
  if (::pipe2(fds, O_CLOEXEC) != 0) return "pipe failed";
  const pid_t pid = ::fork();
  if (pid < 0) {
    ::close(fds[0]);
    ::close(fds[1]);
    return "fork failed";
  }
  if (pid == 0) {
    ::close(fds[0]);
    std::string result;
    try {
      result = check();
    } catch (const std::exception& e) {
      result = std::string("exception in child: ") + e.what();
    }
    const ssize_t ignored =
        ::write(fds[1], result.data(), result.size());  // well below a pipe's capacity
    static_cast<void>(ignored);
    ::_exit(result.empty() ? 0 : 1);
  }
  ::close(fds[1]);
  std::string result;
  char chunk[256];
  for (;;) {
    const ssize_t got = ::read(fds[0], chunk, sizeof chunk);
    if (got < 0 && errno == EINTR) continue;
    if (got <= 0) break;
    result.append(chunk, static_cast<std::size_t>(got));
  }
  ::close(fds[0]);
  int status = 0;
  while (::waitpid(pid, &status, 0) < 0 && errno == EINTR) {
  }
  if (result.empty() && !(WIFEXITED(status) && WEXITSTATUS(status) == 0)) {
    result = "child ended abnormally, status " + std::to_string(status);
  }
  return result;
}

// The permission bits of a file, links not followed.
inline mode_t ModeOf(const std::filesystem::path& path) {
  struct stat info {};
  if (::lstat(path.c_str(), &info) != 0) throw std::runtime_error("cannot stat " + path.string());
  return info.st_mode & 07777;
}

// In a forked child: gives up root for the user and group uid, with no other groups than
// the supplementary ones given.
inline std::string BecomeUser(uid_t uid, const std::vector<gid_t>& groups = {}) {
  if (::setgroups(groups.size(), groups.data()) != 0 || ::setresgid(uid, uid, uid) != 0 ||
      ::setresuid(uid, uid, uid) != 0) {
    return "cannot become user " + std::to_string(uid);
  }
  return "";
}

}  // namespace hostseal::testing
