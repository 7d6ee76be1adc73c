// Faults injected into file encryption while it runs, and inputs that are not regular files:
// an input that disappears or is replaced between chunks (one that changes is refused:
// file_safety_test), FIFOs, folders and devices on either side, and the file-size limit with
// its signal left at the default. Every failure must name the path, keep an existing target as
// it was, leave no temporary file and no open descriptor.
#include <gtest/gtest.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

#include <csignal>
#include <cstdint>
#include <filesystem>
#include <set>
#include <string>
#include <utility>
#include <vector>

#include "hostseal/cipher/rijndael.hpp"
#include "hostseal/common/raised_error.hpp"
#include "hostseal/common/utf8.hpp"
#include "hostseal/text/file_bytes.hpp"
#include "tests/support/linux/file_test_support.hpp"

namespace hostseal {
namespace {

namespace fs = std::filesystem;
using testing::ReadFile;
using testing::WriteFile;

using testing::kChunk;

using testing::ErrorNumberOf;
using testing::Raised;
using testing::RaisedBy;

class FileFaults : public testing::FileCipherTest {
 protected:
  std::vector<Byte> ArrayEncrypted(const std::vector<Byte>& plain) const {
    return testing::FramedWithLength(c, plain);
  }
};

// The file that was opened is read to its end, whatever happens to its name meanwhile.
TEST_F(FileFaults, InputRemovedOrReplacedWhileReadIsReadAsOpened) {
  const std::vector<Byte> plain = testing::RandomBytes(3 * kChunk + 40, 22);
  const fs::path input = dir / "input";
  for (bool replace : {false, true}) {
    SCOPED_TRACE(replace ? "replaced" : "removed");
    WriteFile(input, plain);
    bool done = false;
    auto meddle = [&](std::uint64_t, std::uint64_t) {
      if (std::exchange(done, true)) return;
      fs::remove(input);
      if (replace) WriteFile(input, testing::Sequence(100));
    };
    ASSERT_EQ(c.FileEncrypt(input, dir / "cipher", meddle), 0);
    EXPECT_TRUE(ReadFile(dir / "cipher") == ArrayEncrypted(plain));
  }
}

TEST_F(FileFaults, FifosFoldersAndDevicesAreRefusedOnEitherSideWithoutWaiting) {
  WriteFile(dir / "plain", testing::Sequence(100));
  ASSERT_EQ(c.FileEncrypt(dir / "plain", dir / "cipher", {}), 0);
  ASSERT_EQ(::mkfifo((dir / "fifo").c_str(), 0600), 0);  // no writer: opening it would block
  fs::create_directory(dir / "folder");
  const std::size_t descriptors = testing::CountOpenDescriptors();

  for (const fs::path& odd : {dir / "fifo", dir / "folder", fs::path("/dev/null")}) {
    SCOPED_TRACE(odd.string());
    for (const Raised& raised : {RaisedBy([&] { c.FileEncrypt(odd, dir / "out", {}); }),
                                 RaisedBy([&] { c.FileDecrypt(dir / "out", odd, {}); }),
                                 RaisedBy([&] { c.FileDecrypt(odd, dir / "cipher", {}); })}) {
      EXPECT_EQ(raised.number, 75);
      EXPECT_TRUE(raised.Names(odd));
    }
    // The window's loader too: a FIFO or a device has no length and must not pass for empty.
    ByteArray data(std::vector<Byte>{9});
    std::int16_t size = 3;
    EXPECT_EQ(ErrorNumberOf([&] { LoadFileBytes(FromUtf8(odd.string()), data, size); }), 75);
    EXPECT_TRUE(data == ByteArray(std::vector<Byte>{9}) && size == 3);
  }
  EXPECT_TRUE(fs::is_fifo(dir / "fifo"));
  EXPECT_TRUE(fs::is_empty(dir / "folder"));
  EXPECT_EQ(dir.Names(), (std::set<std::string>{"cipher", "fifo", "folder", "plain"}));
  EXPECT_EQ(testing::CountOpenDescriptors(), descriptors);
}

// With SIGXFSZ at its default action a write past the limit would end the process; the
// library stops short of the limit and raises instead.
TEST_F(FileFaults, FileSizeLimitRaisesDiskFullInsteadOfEndingTheProcess) {
  const std::vector<Byte> plain = testing::RandomBytes(2 * kChunk + 5, 23);
  WriteFile(dir / "plain", plain);
  WriteFile(dir / "cipher", ArrayEncrypted(plain));
  WriteFile(dir / "target", testing::Sequence(64));
  const std::string failure = testing::RunInChild([&]() -> std::string {
    std::signal(SIGXFSZ, SIG_DFL);
    const rlimit limit{kChunk * 3 / 2, kChunk * 3 / 2};
    if (::setrlimit(RLIMIT_FSIZE, &limit) != 0) return "setrlimit failed";
    std::string result;
    for (bool encrypt : {true, false}) {
      const fs::path input = dir / (encrypt ? "plain" : "cipher");
      const Raised raised = RaisedBy([&] { testing::Crypt(c, encrypt, input, dir / "target"); });
      if (raised.number != 61 || !raised.Names(dir / "target")) {
        result += "; error " + std::to_string(raised.number);
      }
    }
    return result;
  });
  EXPECT_EQ(failure, "");
  EXPECT_EQ(ReadFile(dir / "target"), testing::Sequence(64));
  EXPECT_EQ(dir.Names(), (std::set<std::string>{"cipher", "plain", "target"}));
}

}  // namespace
}  // namespace hostseal
