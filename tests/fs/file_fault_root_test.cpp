// Faults that need root to inject: decryption into a full file system and into one without a
// free inode (tmpfs in a private mount namespace of a forked child), and a process that may
// not start another thread (an ordinary user at a process limit of zero).
#include <gtest/gtest.h>
#include <sched.h>
#include <sys/mount.h>
#include <sys/resource.h>
#include <unistd.h>

#include <cstdint>
#include <filesystem>
#include <functional>
#include <string>
#include <vector>

#include "hostseal/cipher/rijndael.hpp"
#include "hostseal/common/raised_error.hpp"
#include "tests/support/cipher_test_support.hpp"
#include "tests/support/linux/file_test_support.hpp"

namespace hostseal {
namespace {

namespace fs = std::filesystem;
using testing::ReadFile;
using testing::WriteFile;

class FileFaultsAsRoot : public ::testing::Test {
 protected:
  void SetUp() override {
    if (::geteuid() != 0) GTEST_SKIP() << "needs root for mount namespaces and changing user";
    c.SetCipherKey(ByteArray(testing::Sequence(24, 3)), 192);
  }

  // Runs check in a child with a private mount namespace and a tmpfs on dir/mnt.
  std::string WithTmpfs(const char* options, const std::function<std::string()>& check) const {
    fs::create_directory(dir / "mnt");
    return testing::RunInChild([&]() -> std::string {
      if (::unshare(CLONE_NEWNS) != 0) return "unshare failed";
      if (::mount(nullptr, "/", nullptr, MS_REC | MS_PRIVATE, nullptr) != 0) {
        return "making mounts private failed";
      }
      if (::mount("hostseal-test", (dir / "mnt").c_str(), "tmpfs", 0, options) != 0) {
        return "mounting tmpfs failed";
      }
      return check();
    });
  }

  // Decrypts dir/cipher into mnt/plain, which holds 100 bytes; expects error 61 naming it, the
  // 100 bytes kept, nothing else in the folder and no descriptor left open.
  std::string DecryptIntoFullMount() const {
    const fs::path target = dir / "mnt" / "plain";
    WriteFile(target, testing::Sequence(100));
    const std::size_t descriptors = testing::CountOpenDescriptors();
    std::string result;
    try {
      c.FileDecrypt(target, dir / "cipher", {});
      result += "; no error";
    } catch (const RaisedError& e) {
      if (e.Number() != 61) result += "; error " + std::to_string(e.Number());
      if (e.Description().find(target.string()) == std::string::npos) {
        result += "; description without the path: " + e.Description();
      }
    }
    if (ReadFile(target) != testing::Sequence(100)) result += "; target changed";
    if (std::distance(fs::directory_iterator(dir / "mnt"), fs::directory_iterator()) != 1) {
      result += "; something stayed beside the target";
    }
    if (testing::CountOpenDescriptors() != descriptors) result += "; descriptors leaked";
    return result;
  }

  void WriteCipherFile(std::size_t plainLength) const {
    ByteArray cipher;
    c.ArrayEncrypt(ByteArray(testing::RandomBytes(plainLength, 31)), cipher, 1);
    WriteFile(dir / "cipher", cipher.Bytes());
  }

  cRijndael c;
  testing::TempFolder dir;
};

TEST_F(FileFaultsAsRoot, DecryptingIntoAFullFileSystemKeepsTheTarget) {
  WriteCipherFile(9'000'001);
  EXPECT_EQ(WithTmpfs("size=6m", [&] { return DecryptIntoFullMount(); }), "");
}

TEST_F(FileFaultsAsRoot, NoInodeForTheTemporaryFileRaisesDiskFull) {
  WriteCipherFile(1000);
  // Two inodes: the root folder and the target; the temporary file gets none.
  EXPECT_EQ(WithTmpfs("size=6m,nr_inodes=2", [&] { return DecryptIntoFullMount(); }), "");
}

// A process that may start no more processes or threads still encrypts, on its own thread.
TEST_F(FileFaultsAsRoot, NoHelperThreadStillEncryptsEveryChunk) {
  constexpr uid_t kNobody = 65534;
  const std::vector<Byte> plain = testing::RandomBytes(3 * 4'000'000 + 7, 32);
  WriteFile(dir / "plain", plain);
  ByteArray expected;
  c.ArrayEncrypt(ByteArray(plain), expected, 1);
  ASSERT_EQ(::chown(dir.Path().c_str(), kNobody, kNobody), 0);

  const std::string failure = testing::RunInChild([&]() -> std::string {
    if (::setgid(kNobody) != 0 || ::setuid(kNobody) != 0) return "cannot become nobody";
    const rlimit none{0, 0};
    if (::setrlimit(RLIMIT_NPROC, &none) != 0) return "setrlimit failed";
    try {
      if (c.FileEncrypt(dir / "plain", dir / "cipher", {}) != 0) return "status not 0";
    } catch (const std::exception& e) {
      return std::string("raised: ") + e.what();
    }
    return ReadFile(dir / "cipher") == expected.Bytes() ? "" : "wrong cipher text";
  });
  EXPECT_EQ(failure, "");
}

}  // namespace
}  // namespace hostseal
