#include "hostseal/text/file_bytes.hpp"

#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <random>
#include <string>
#include <vector>

#include "hostseal/common/raised_error.hpp"
#include "hostseal/common/utf8.hpp"

namespace hostseal {
namespace {

namespace fs = std::filesystem;

class LoadFileBytesTest : public ::testing::Test {
 protected:
  void SetUp() override { fs::create_directories(m_Dir); }
  void TearDown() override { fs::remove_all(m_Dir); }

  std::u16string Write(const std::string& name, const std::vector<Byte>& bytes) {
    std::ofstream(m_Dir / name, std::ios::binary)
        .write(reinterpret_cast<const char*>(bytes.data()), std::ssize(bytes));
    return FromUtf8((m_Dir / name).string());
  }

  // The error of a load that must fail, which leaves aData and nSize as they were.
  static RaisedError FailingLoad(const std::u16string& name) {
    ByteArray data(std::vector<Byte>{7});
    std::int16_t size = 5;
    try {
      LoadFileBytes(name, data, size);
    } catch (const RaisedError& e) {
      EXPECT_TRUE(data == ByteArray(std::vector<Byte>{7}) && size == 5);
      return e;
    }
    ADD_FAILURE() << "loaded " << ToUtf8(name);
    return RaisedError(0, "");
  }

  const fs::path m_Dir =
      fs::temp_directory_path() / ("hostseal_file_bytes_" + std::to_string(getpid()));
};

TEST_F(LoadFileBytesTest, LengthsUpToTheSixteenBitLimit) {
  std::mt19937 rng(3);
  for (std::size_t n : {0, 1, 32767}) {
    std::vector<Byte> content(n);
    for (Byte& b : content) b = static_cast<Byte>(rng());
    ByteArray data;
    std::int16_t size = -1;
    LoadFileBytes(Write("\u6587\u4EF6.bin", content), data, size);
    EXPECT_EQ(size, static_cast<std::int16_t>(n));
    content.push_back(0);  // the extra element
    EXPECT_EQ(data, ByteArray(content));
  }
  const RaisedError overflow = FailingLoad(Write("big", std::vector<Byte>(32768, 1)));
  EXPECT_EQ(overflow.Number(), 6);
  EXPECT_EQ(overflow.Description(), "Overflow");
}

TEST_F(LoadFileBytesTest, FileErrorsCarryTheirNumbersAndThePath) {
  const RaisedError missing = FailingLoad(FromUtf8((m_Dir / "missing").string()));
  EXPECT_EQ(missing.Number(), 53);
  EXPECT_NE(missing.Description().find((m_Dir / "missing").string()), std::string::npos);
  EXPECT_EQ(FailingLoad(Write("plain", {1}) + u"/below").Number(), 53);
  EXPECT_EQ(FailingLoad(FromUtf8(m_Dir.string())).Number(), 75);
  EXPECT_EQ(FailingLoad(u"").Number(), 52);
  EXPECT_EQ(FailingLoad(Write("x", {1}) + std::u16string(1, char16_t{0xD800})).Number(), 52);
  EXPECT_EQ(FailingLoad(std::u16string(u"x\0y", 3)).Number(), 52);
}

TEST_F(LoadFileBytesTest, UnreadableFileIsPermissionDenied) {
  const std::u16string locked = Write("locked", {1});
  fs::permissions(m_Dir / "locked", fs::perms::none);
  // Root reads every file, so the load runs in a child that gives up root for nobody.
  const pid_t child = fork();
  if (child == 0) {
    if (geteuid() == 0 && (setgid(65534) != 0 || setuid(65534) != 0)) _exit(1);
    try {
      ByteArray data;
      std::int16_t size = 0;
      LoadFileBytes(locked, data, size);
    } catch (const RaisedError& e) {
      _exit(e.Number());
    }
    _exit(0);
  }
  int status = 0;
  ASSERT_EQ(waitpid(child, &status, 0), child);
  EXPECT_TRUE(WIFEXITED(status));
  EXPECT_EQ(WEXITSTATUS(status), 70);
}

TEST_F(LoadFileBytesTest, NoDescriptorIsLeftOpen) {
  const auto openDescriptors = [] {
    return std::distance(fs::directory_iterator("/proc/self/fd"), fs::directory_iterator{});
  };
  const std::u16string good = Write("good", {1, 2, 3});
  const std::u16string big = Write("big", std::vector<Byte>(40000, 1));
  const auto before = openDescriptors();
  for (int i = 0; i < 50; ++i) {
    ByteArray data;
    std::int16_t size = 0;
    LoadFileBytes(good, data, size);
    EXPECT_THROW(LoadFileBytes(big, data, size), RaisedError);
    EXPECT_THROW(LoadFileBytes(FromUtf8(m_Dir.string()), data, size), RaisedError);
  }
  EXPECT_EQ(openDescriptors(), before);
}

}  // namespace
}  // namespace hostseal
