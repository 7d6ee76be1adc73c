// Files on Windows: names outside the ANSI code page, replacement of a target (also one with a
// second hard link), targets that Windows will not let go (open in another program, read-only),
// and the numbers and texts of file errors.
#include <gtest/gtest.h>
#include <windows.h>

#include <fstream>
#include <iterator>
#include <set>
#include <string>
#include <vector>

#include "hostseal/cipher/rijndael.hpp"
#include "hostseal/common/raised_error.hpp"
#include "hostseal/common/utf8.hpp"
#include "hostseal/fs/file_name.hpp"
#include "tests/cipher/cipher_test_support.hpp"
#include "tests/support/recording_sink.hpp"
#include "tests/support/scratch_folder.hpp"

namespace hostseal {
namespace {

namespace fs = std::filesystem;

std::vector<Byte> Read(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  return std::vector<Byte>(std::istreambuf_iterator<char>(in), {});
}

void Write(const fs::path& path, const std::vector<Byte>& bytes) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out.write(reinterpret_cast<const char*>(bytes.data()),
            static_cast<std::streamsize>(bytes.size()));
  ASSERT_TRUE(out.good()) << path;
}

ErrorNumber Number(const RaisedError& e) {
  return static_cast<ErrorNumber>(e.Number());
}

class WindowsFiles : public ::testing::Test {
 protected:
  void SetUp() override { ASSERT_EQ(c.SetCipherKey(ByteArray(testing::Sequence(16, 1)), 128), 0); }

  // Runs f, which must raise a RaisedError; returns it.
  template <typename F>
  RaisedError Raised(F f) {
    try {
      f();
    } catch (const RaisedError& e) {
      return e;
    }
    ADD_FAILURE() << "no RaisedError";
    return RaisedError(ErrorNumber::kCipher, "");
  }

  testing::RecordingSink sink;
  cRijndael c{sink};
  testing::ScratchFolder dir;
};

TEST_F(WindowsFiles, ChineseNamesRoundTripAndMatchTheArrayFraming) {
  const std::u16string plainName = FromUtf8(PathToUtf8(dir / PathFromUtf8("明文 数据.txt")));
  const std::u16string cipherName = FromUtf8(PathToUtf8(dir / PathFromUtf8("密文.bin")));
  const std::vector<Byte> plain = testing::Sequence(1000, 3);
  Write(FilePathFromText(plainName), plain);

  ASSERT_EQ(c.FileEncrypt(plainName, cipherName), 0);
  EXPECT_EQ(Read(FilePathFromText(cipherName)), testing::FramedWithLength(c, plain));
  // A second run replaces the first result.
  Write(FilePathFromText(plainName), testing::Sequence(20, 9));
  ASSERT_EQ(c.FileEncrypt(plainName, cipherName), 0);
  ASSERT_EQ(c.FileDecrypt(plainName, cipherName), 0);
  EXPECT_EQ(Read(FilePathFromText(plainName)), testing::Sequence(20, 9));
  EXPECT_EQ(dir.Names(), (std::set<std::string>{"明文 数据.txt", "密文.bin"}));
  EXPECT_TRUE(sink.messages.empty());
}

TEST_F(WindowsFiles, TargetWithSecondHardLinkIsWrittenInPlace) {
  Write(dir / "plain", testing::Sequence(100));
  Write(dir / "cipher", testing::Sequence(7));
  ASSERT_TRUE(::CreateHardLinkW((dir / "other name").c_str(), (dir / "cipher").c_str(), nullptr));
  ASSERT_EQ(c.FileEncrypt(dir / "plain", dir / "cipher", {}), 0);
  const std::vector<Byte> expected = testing::FramedWithLength(c, testing::Sequence(100));
  EXPECT_EQ(Read(dir / "cipher"), expected);
  EXPECT_EQ(Read(dir / "other name"), expected);
  EXPECT_EQ(dir.Names(), (std::set<std::string>{"cipher", "other name", "plain"}));
}

TEST_F(WindowsFiles, TargetsThatCannotBeReplacedKeepTheirContentAndLeaveNothingBehind) {
  Write(dir / "plain", testing::Sequence(100));
  const std::vector<Byte> before = testing::Sequence(32, 5);

  // Open in another program that shares nothing.
  Write(dir / "open", before);
  {
    const HANDLE held =
        ::CreateFileW((dir / "open").c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(held, INVALID_HANDLE_VALUE);
    const RaisedError e = Raised([&] { c.FileEncrypt(dir / "plain", dir / "open", {}); });
    ::CloseHandle(held);
    EXPECT_TRUE(Number(e) == ErrorNumber::kPathFileAccessError ||
                Number(e) == ErrorNumber::kPermissionDenied)
        << e.Description();
    EXPECT_NE(e.Description().find("open\" ("), std::string::npos) << e.Description();
  }
  EXPECT_EQ(Read(dir / "open"), before);

  // Read-only.
  Write(dir / "read-only", before);
  ASSERT_TRUE(::SetFileAttributesW((dir / "read-only").c_str(), FILE_ATTRIBUTE_READONLY));
  const RaisedError e = Raised([&] { c.FileEncrypt(dir / "plain", dir / "read-only", {}); });
  EXPECT_EQ(Number(e), ErrorNumber::kPermissionDenied) << e.Description();
  ::SetFileAttributesW((dir / "read-only").c_str(), FILE_ATTRIBUTE_NORMAL);
  EXPECT_EQ(Read(dir / "read-only"), before);

  EXPECT_EQ(dir.Names(), (std::set<std::string>{"open", "plain", "read-only"}));
}

TEST_F(WindowsFiles, ErrorsCarryTheirNumberThePathAndTheSystemsText) {
  const RaisedError missing = Raised([&] { c.FileEncrypt(dir / "missing", dir / "out", {}); });
  EXPECT_EQ(Number(missing), ErrorNumber::kFileNotFound);
  const std::string path = PathToUtf8(dir / "missing");
  EXPECT_EQ(missing.Description().rfind("File not found: \"" + path + "\" (", 0), 0u)
      << missing.Description();
  EXPECT_EQ(missing.Description().back(), ')');

  Write(dir / "plain", testing::Sequence(10));
  const RaisedError noFolder =
      Raised([&] { c.FileEncrypt(dir / "plain", dir / "no folder" / "out", {}); });
  EXPECT_EQ(Number(noFolder), ErrorNumber::kPathNotFound) << noFolder.Description();
  EXPECT_EQ(noFolder.Description().rfind(
                "Path not found: \"" + PathToUtf8(dir / "no folder") + "\" (", 0),
            0u)
      << noFolder.Description();

  const RaisedError folder = Raised([&] { c.FileEncrypt(dir.Path(), dir / "out", {}); });
  EXPECT_EQ(Number(folder), ErrorNumber::kPathFileAccessError) << folder.Description();

  const RaisedError device = Raised([&] { c.FileEncrypt(fs::path(L"NUL"), dir / "out", {}); });
  EXPECT_NE(Number(device), ErrorNumber::kCipher) << device.Description();
  EXPECT_EQ(dir.Names(), (std::set<std::string>{"plain"}));
}

TEST_F(WindowsFiles, WrongKeyKeepsAnExistingTarget) {
  cRijndael other;
  ASSERT_EQ(other.SetCipherKey(ByteArray(testing::Sequence(16, 2)), 128), 0);
  // A cipher file whose length field is out of range under c's key.
  for (Byte seed = 0;; ++seed) {
    Write(dir / "plain", testing::Sequence(50, seed));
    ASSERT_EQ(other.FileEncrypt(dir / "plain", dir / "cipher", {}), 0);
    const std::vector<Byte> cipher = Read(dir / "cipher");
    ByteArray framed;
    c.ArrayDecrypt(framed, ByteArray(cipher), 0);
    if (framed.Bytes().back() >= 16) break;
  }
  Write(dir / "target", testing::Sequence(5));
  EXPECT_EQ(c.FileDecrypt(dir / "target", dir / "cipher", {}), 2);
  EXPECT_EQ(Read(dir / "target"), testing::Sequence(5));
  EXPECT_EQ(dir.Names(), (std::set<std::string>{"cipher", "plain", "target"}));
}

}  // namespace
}  // namespace hostseal
