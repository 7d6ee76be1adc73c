// File encryption against file systems that fail for real: a full tmpfs and a read-only
// mount, each in a mount namespace of a forked child so that nothing outside it changes, and
// permissions that stop an ordinary user (a child that has become nobody).
#include <gtest/gtest.h>
#include <sched.h>
#include <sys/mount.h>
#include <unistd.h>

#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

#include "hostseal/cipher/rijndael.hpp"
#include "hostseal/common/raised_error.hpp"
#include "tests/support/cipher_test_support.hpp"
#include "tests/support/linux/file_test_support.hpp"
#include "tests/support/recording_sink.hpp"

namespace hostseal {
namespace {

using testing::ReadFile;
using testing::WriteFile;

class FileCipherMounts : public ::testing::Test {
 protected:
  void SetUp() override {
    if (::geteuid() != 0) GTEST_SKIP() << "needs root for mount namespaces";
    c.SetCipherKey(ByteArray(testing::Sequence(32, 9)), 256);
    std::filesystem::create_directory(dir / "mnt");
    WriteFile(dir / "plain", testing::RandomBytes(9'000'001, 11));
  }

  // Runs check in a child with a private mount namespace in which setup has mounted dir/mnt.
  std::string InNamespace(const std::function<std::string()>& check) const {
    return testing::RunInChild([&]() -> std::string {
      if (::unshare(CLONE_NEWNS) != 0) return "unshare failed";
      if (::mount(nullptr, "/", nullptr, MS_REC | MS_PRIVATE, nullptr) != 0) {
        return "making mounts private failed";
      }
      if (::mount("hostseal-test", (dir / "mnt").c_str(), "tmpfs", 0, "size=6m") != 0) {
        return "mounting tmpfs failed";
      }
      return check();
    });
  }

  static std::string ExpectNumber(const std::function<void()>& call, std::int32_t number) {
    const std::int32_t raised = testing::ErrorNumberOf(call);
    return raised == number ? "" : "; error number " + std::to_string(raised);
  }

  cRijndael c;
  testing::TempFolder dir;
};

TEST_F(FileCipherMounts, FullDiskKeepsTargetAndLeavesNoTemporaryFile) {
  const std::string failure = InNamespace([&]() -> std::string {
    const auto target = dir / "mnt" / "cipher";
    WriteFile(target, testing::Sequence(100));
    const std::size_t before = testing::CountOpenDescriptors();
    std::string result = ExpectNumber([&] { c.FileEncrypt(dir / "plain", target, {}); }, 61);
    if (ReadFile(target) != testing::Sequence(100)) result += "; target changed";
    if (std::filesystem::file_size(target) != 100 ||
        std::distance(std::filesystem::directory_iterator(dir / "mnt"),
                      std::filesystem::directory_iterator()) != 1) {
      result += "; something stayed beside the target";
    }
    if (testing::CountOpenDescriptors() != before) result += "; descriptors leaked";
    return result;
  });
  EXPECT_EQ(failure, "");
}

TEST_F(FileCipherMounts, ReadOnlyFolderRaisesPermissionDenied) {
  const std::string failure = InNamespace([&]() -> std::string {
    const auto mnt = dir / "mnt";
    WriteFile(mnt / "cipher", testing::Sequence(100));
    if (::mount(nullptr, mnt.c_str(), nullptr, MS_REMOUNT | MS_RDONLY, nullptr) != 0) {
      return "remounting read-only failed";
    }
    std::string result =
        ExpectNumber([&] { c.FileEncrypt(dir / "plain", mnt / "cipher", {}); }, 70);
    result += ExpectNumber([&] { c.FileEncrypt(dir / "plain", mnt / "new", {}); }, 70);
    if (ReadFile(mnt / "cipher") != testing::Sequence(100)) result += "; target changed";
    if (std::filesystem::exists(mnt / "new")) result += "; a file was created";
    return result;
  });
  EXPECT_EQ(failure, "");
}

TEST_F(FileCipherMounts, OrdinaryUserIsStoppedByPermissions) {
  namespace fs = std::filesystem;
  constexpr uid_t kNobody = 65534;
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
    if (::setgid(kNobody) != 0 || ::setuid(kNobody) != 0) return "cannot become nobody";
    std::string result =
        ExpectNumber([&] { c.FileEncrypt(dir / "plain", dir / "locked" / "out", {}); }, 70);
    result += ExpectNumber([&] { c.FileEncrypt(dir / "plain", dir / "readonly", {}); }, 70);
    result += ExpectNumber([&] { c.FileEncrypt(dir / "secret", dir / "out", {}); }, 70);
    if (!fs::is_empty(dir / "locked") || fs::exists(dir / "out")) result += "; a file was created";
    return result;
  });
  EXPECT_EQ(failure, "");
  fs::permissions(dir / "readonly", fs::perms::owner_read | fs::perms::owner_write);
  EXPECT_EQ(ReadFile(dir / "readonly"), testing::Sequence(100));
}

}  // namespace
}  // namespace hostseal
