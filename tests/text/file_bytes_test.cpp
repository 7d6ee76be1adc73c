#include "hostseal/text/file_bytes.hpp"

#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <random>
#include <string>
#include <vector>

#include "hostseal/common/raised_error.hpp"
#include "hostseal/common/utf8.hpp"
#include "tests/support/linux/file_test_support.hpp"

namespace hostseal {
namespace {

namespace fs = std::filesystem;

class LoadFileBytesTest : public ::testing::Test {
 protected:
  std::u16string Write(const std::string& name, const std::vector<Byte>& bytes) {
    testing::WriteFile(m_Dir / name, bytes);
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

  const testing::ScratchFolder m_Dir;
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
  EXPECT_EQ(FailingLoad(FromUtf8(m_Dir.Path().string())).Number(), 75);
  EXPECT_EQ(FailingLoad(u"").Number(), 52);
  EXPECT_EQ(FailingLoad(Write("x", {1}) + std::u16string(1, char16_t{0xD800})).Number(), 52);
  EXPECT_EQ(FailingLoad(std::u16string(u"x\0y", 3)).Number(), 52);
}

TEST_F(LoadFileBytesTest, UnreadableFileIsPermissionDenied) {
  const std::u16string locked = Write("locked", {1});
  fs::permissions(m_Dir / "locked", fs::perms::none);
  fs::permissions(m_Dir.Path(), fs::perms::others_exec, fs::perm_options::add);
  // Root reads every file, so the load runs in a child that gives up root for nobody.
  EXPECT_EQ(testing::RunInChild([&]() -> std::string {
              if (::geteuid() == 0) {
                if (std::string error = testing::BecomeUser(65534); !error.empty()) return error;
              }
              ByteArray data;
              std::int16_t size = 0;
              const std::int32_t number =
                  testing::ErrorNumberOf([&] { LoadFileBytes(locked, data, size); });
              return number == 70 ? "" : "error " + std::to_string(number);
            }),
            "");
}

TEST_F(LoadFileBytesTest, NoDescriptorIsLeftOpen) {
  const std::u16string good = Write("good", {1, 2, 3});
  const std::u16string big = Write("big", std::vector<Byte>(40000, 1));
  const std::size_t before = testing::CountOpenDescriptors();
  for (int i = 0; i < 50; ++i) {
    ByteArray data;
    std::int16_t size = 0;
    LoadFileBytes(good, data, size);
    EXPECT_THROW(LoadFileBytes(big, data, size), RaisedError);
    EXPECT_THROW(LoadFileBytes(FromUtf8(m_Dir.Path().string()), data, size), RaisedError);
  }
  EXPECT_EQ(testing::CountOpenDescriptors(), before);
}

}  // namespace
}  // namespace hostseal
