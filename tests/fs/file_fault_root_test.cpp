// Faults that need root to inject: file systems that fail for real (a full tmpfs, one without a
// free inode, a read-only mount, each in a private mount namespace of a forked child so that
// nothing outside it changes), permissions that stop an ordinary user (a child that has become
// nobody), and a process that may not start another thread.
#include <gtest/gtest.h>
#include <sched.h>
#include <sys/mount.h>
#include <sys/resource.h>
#include <unistd.h>

#include <cstdint>
#include <filesystem>
#include <functional>
#include <string>
#include <utility>
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

constexpr uid_t kNobody = 65534;

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

  // Encrypts dir/plain into mnt/target, or decrypts dir/cipher into it, which holds 100 bytes
  // (written here unless it exists); expects error `number` naming it, the 100 bytes kept,
  // nothing else in the folder and no descriptor left open.
  std::string IntoMount(bool encrypt, std::int32_t number) const {
    const fs::path target = dir / "mnt" / "target";
    if (!fs::exists(target)) WriteFile(target, testing::Sequence(100));
    const std::size_t descriptors = testing::CountOpenDescriptors();
    std::string result;
    const testing::Raised raised = testing::RaisedBy(
        [&] { testing::Crypt(c, encrypt, dir / (encrypt ? "plain" : "cipher"), target); });
    if (raised.number != number) result += "; error " + std::to_string(raised.number);
    if (!raised.Names(target)) result += "; description without the path: " + raised.description;
    if (ReadFile(target) != testing::Sequence(100)) result += "; target changed";
    if (std::distance(fs::directory_iterator(dir / "mnt"), fs::directory_iterator()) != 1) {
      result += "; something stayed beside the target";
    }
    if (testing::CountOpenDescriptors() != descriptors) result += "; descriptors leaked";
    return result;
  }

  // dir/plain of plainLength bytes, and dir/cipher that it encrypts to.
  void WriteFiles(std::size_t plainLength) const {
    const std::vector<Byte> plain = testing::RandomBytes(plainLength, 31);
    WriteFile(dir / "plain", plain);
    WriteFile(dir / "cipher", testing::FramedWithLength(c, plain));
  }

  cRijndael c;
  testing::ScratchFolder dir;
};

TEST_F(FileFaultsAsRoot, AFullFileSystemKeepsTheTarget) {
  WriteFiles(9'000'001);
  for (const bool encrypt : {true, false}) {
    SCOPED_TRACE(encrypt ? "encrypt" : "decrypt");
    EXPECT_EQ(WithTmpfs("size=6m", [&] { return IntoMount(encrypt, 61); }), "");
  }
}

TEST_F(FileFaultsAsRoot, NoInodeForTheTemporaryFileRaisesDiskFull) {
  WriteFiles(1000);
  // Two inodes: the root folder and the target; the temporary file gets none.
  EXPECT_EQ(WithTmpfs("size=6m,nr_inodes=2", [&] { return IntoMount(false, 61); }), "");
}

TEST_F(FileFaultsAsRoot, ReadOnlyFileSystemRaisesPermissionDenied) {
  WriteFiles(100);
  EXPECT_EQ(WithTmpfs("size=6m",
                      [&]() -> std::string {
                        const fs::path mnt = dir / "mnt";
                        WriteFile(mnt / "target", testing::Sequence(100));
                        if (::mount(nullptr, mnt.c_str(), nullptr, MS_REMOUNT | MS_RDONLY,
                                    nullptr) != 0) {
                          return "remounting read-only failed";
                        }
                        const std::int32_t number = testing::ErrorNumberOf(
                            [&] { c.FileEncrypt(dir / "plain", mnt / "new", {}); });
                        if (fs::exists(mnt / "new")) return "a file was created";
                        return IntoMount(true, 70) +
                               (number == 70 ? "" : "; new file: error " + std::to_string(number));
                      }),
            "");
}

// Nobody may neither create a file in a folder it may not write, nor replace a file it may not
// write, nor read a file it may not read.
TEST_F(FileFaultsAsRoot, OrdinaryUserIsStoppedByPermissions) {
  WriteFiles(100);
  fs::create_directory(dir / "locked");
  WriteFile(dir / "readonly", testing::Sequence(100));
  WriteFile(dir / "secret", testing::Sequence(100));
  for (const char* name : {"", "plain", "locked", "readonly", "secret"}) {
    ASSERT_EQ(::chown((dir / name).c_str(), kNobody, kNobody), 0) << name;
  }
  fs::permissions(dir / "locked", fs::perms::owner_read | fs::perms::owner_exec);
  fs::permissions(dir / "readonly", fs::perms::owner_read);
  fs::permissions(dir / "secret", fs::perms::none);

  const std::string failure = testing::RunInChild([&]() -> std::string {
    if (std::string error = testing::BecomeUser(kNobody); !error.empty()) return error;
    std::string result;
    for (const auto& [input, output] :
         {std::pair{dir / "plain", dir / "locked" / "out"},
          std::pair{dir / "plain", dir / "readonly"}, std::pair{dir / "secret", dir / "out"}}) {
      const std::int32_t number = testing::ErrorNumberOf([&] { c.FileEncrypt(input, output, {}); });
      if (number != 70) result += "; " + output.string() + ": error " + std::to_string(number);
    }
    if (!fs::is_empty(dir / "locked") || fs::exists(dir / "out")) result += "; a file was created";
    return result;
  });
  EXPECT_EQ(failure, "");
  EXPECT_EQ(ReadFile(dir / "readonly"), testing::Sequence(100));
}

// A process that may start no more processes or threads still encrypts, on its own thread.
TEST_F(FileFaultsAsRoot, NoHelperThreadStillEncryptsEveryChunk) {
  const std::vector<Byte> plain = testing::RandomBytes(3 * 4'000'000 + 7, 32);
  WriteFile(dir / "plain", plain);
  ByteArray expected;
  c.ArrayEncrypt(ByteArray(plain), expected, 1);
  ASSERT_EQ(::chown(dir.Path().c_str(), kNobody, kNobody), 0);

  const std::string failure = testing::RunInChild([&]() -> std::string {
    if (std::string error = testing::BecomeUser(kNobody); !error.empty()) return error;
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
