#include "hostseal/text/file_bytes.hpp"

#include <gtest/gtest.h>
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
  void SetUp() override {
    m_Dir = fs::temp_directory_path() / ("hostseal_file_bytes_" + std::to_string(::getpid()));
    fs::create_directories(m_Dir);
  }
  void TearDown() override { fs::remove_all(m_Dir); }

  std::u16string Write(const std::string& name, const std::vector<Byte>& bytes) {
    const fs::path path = m_Dir / name;
    std::ofstream(path, std::ios::binary)
        .write(reinterpret_cast<const char*>(bytes.data()),
               static_cast<std::streamsize>(bytes.size()));
    return FromUtf8(path.string());
  }

  // The error number of a load that must fail; aData and nSize must keep their values.
  static std::int32_t FailingLoad(const std::u16string& name, std::string* description = nullptr) {
    ByteArray data(std::vector<Byte>{7});
    std::int16_t size = 5;
    try {
      LoadFileBytes(name, data, size);
    } catch (const RaisedError& e) {
      EXPECT_EQ(data, ByteArray(std::vector<Byte>{7}));
      EXPECT_EQ(size, 5);
      if (description != nullptr) *description = e.Description();
      return e.Number();
    }
    ADD_FAILURE() << "loaded " << ToUtf8(name);
    return 0;
  }

  fs::path m_Dir;
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
  std::string description;
  EXPECT_EQ(FailingLoad(Write("big", std::vector<Byte>(32768, 1)), &description), 6);
  EXPECT_EQ(description, "Overflow");
}

TEST_F(LoadFileBytesTest, FileErrorsCarryTheirNumbersAndThePath) {
  std::string description;
  const std::u16string missing = FromUtf8((m_Dir / "missing").string());
  EXPECT_EQ(FailingLoad(missing, &description), 53);
  EXPECT_NE(description.find((m_Dir / "missing").string()), std::string::npos) << description;
  EXPECT_EQ(FailingLoad(Write("plain", {1}) + u"/below"), 53);
  EXPECT_EQ(FailingLoad(FromUtf8(m_Dir.string())), 75);
  EXPECT_EQ(FailingLoad(u""), 52);
  EXPECT_EQ(FailingLoad(Write("x", {1}) + std::u16string(1, char16_t{0xD800})), 52);
  EXPECT_EQ(FailingLoad(std::u16string(u"x\0y", 3)), 52);
}

TEST_F(LoadFileBytesTest, UnreadableFileIsPermissionDenied) {
  if (::geteuid() == 0) GTEST_SKIP() << "root reads every file: permission denied not testable";
  const std::u16string locked = Write("locked", {1});
  fs::permissions(m_Dir / "locked", fs::perms::none);
  EXPECT_EQ(FailingLoad(locked), 70);
}

TEST_F(LoadFileBytesTest, NoDescriptorIsLeftOpen) {
  auto openDescriptors = [] {
    return std::distance(fs::directory_iterator("/proc/self/fd"), fs::directory_iterator{});
  };
  const std::u16string good = Write("good", {1, 2, 3});
  const std::u16string big = Write("big", std::vector<Byte>(40000, 1));
  const std::u16string dir = FromUtf8(m_Dir.string());
  const auto before = openDescriptors();
  for (int i = 0; i < 50; ++i) {
    ByteArray data;
    std::int16_t size = 0;
    LoadFileBytes(good, data, size);
    EXPECT_THROW(LoadFileBytes(big, data, size), RaisedError);
    EXPECT_THROW(LoadFileBytes(dir, data, size), RaisedError);
  }
  EXPECT_EQ(openDescriptors(), before);
}

}  // namespace
}  // namespace hostseal
