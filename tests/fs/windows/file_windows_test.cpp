// Files on Windows: names outside the ANSI code page, paths longer than MAX_PATH, replacement
// of a target (also one with a second hard link, and the input itself, through the library and
// the tool), targets that Windows will not let go (open in another program, read-only), and the
// numbers and texts of file errors.
#include <gtest/gtest.h>
#include <windows.h>

#include <fstream>
#include <iterator>
#include <set>
#include <string>
#include <tuple>
#include <vector>

#include "hostseal/cipher/rijndael.hpp"
#include "hostseal/common/raised_error.hpp"
#include "hostseal/common/utf8.hpp"
#include "hostseal/fs/file_name.hpp"
#include "hostseal/fs/windows/extended_length_path.hpp"
#include "tests/support/cipher_test_support.hpp"
#include "tests/support/recording_sink.hpp"
#include "tests/support/scratch_folder.hpp"
#include "tests/support/tool_process.hpp"

namespace hostseal {
namespace {

namespace fs = std::filesystem;

// Through the extended-length form, so that paths of any length are read and written.
std::vector<Byte> Read(const fs::path& path) {
  std::ifstream in(fs::path(ExtendedLengthPath(path)), std::ios::binary);
  return std::vector<Byte>(std::istreambuf_iterator<char>(in), {});
}

void Write(const fs::path& path, const std::vector<Byte>& bytes) {
  std::ofstream out(fs::path(ExtendedLengthPath(path)), std::ios::binary | std::ios::trunc);
  out.write(reinterpret_cast<const char*>(bytes.data()),
            static_cast<std::streamsize>(bytes.size()));
  ASSERT_TRUE(out.good()) << path;
}

// The first name that appears in, leaves or is renamed in a folder from now on.
class FolderWatch {
 public:
  explicit FolderWatch(const fs::path& folder)
      : m_Folder(::CreateFileW(folder.c_str(), FILE_LIST_DIRECTORY,
                               FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                               OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS | FILE_FLAG_OVERLAPPED,
                               nullptr)) {
    m_Done.hEvent = ::CreateEventW(nullptr, TRUE, FALSE, nullptr);
    m_Watching = ::ReadDirectoryChangesW(m_Folder, m_Changes, sizeof m_Changes, FALSE,
                                         FILE_NOTIFY_CHANGE_FILE_NAME, nullptr, &m_Done, nullptr);
  }
  FolderWatch(const FolderWatch&) = delete;
  FolderWatch& operator=(const FolderWatch&) = delete;
  ~FolderWatch() {
    ::CancelIo(m_Folder);
    ::CloseHandle(m_Done.hEvent);
    ::CloseHandle(m_Folder);
  }

  std::wstring FirstName() {
    DWORD got = 0;
    if (!m_Watching || !::GetOverlappedResult(m_Folder, &m_Done, &got, TRUE) || got == 0) return {};
    const auto* change = reinterpret_cast<const FILE_NOTIFY_INFORMATION*>(m_Changes);
    return std::wstring(change->FileName, change->FileNameLength / sizeof(wchar_t));
  }

 private:
  HANDLE m_Folder;
  OVERLAPPED m_Done{};
  alignas(DWORD) unsigned char m_Changes[4096];
  BOOL m_Watching = FALSE;
};

constexpr char kKey[] = "0102030405060708090a0b0c0d0e0f10";  // testing::Sequence(16, 1)

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

TEST_F(WindowsFiles, ExtendedLengthPathsAreFullAndPrefixed) {
  const std::wstring parent = fs::current_path().parent_path().wstring();
  const std::wstring longName(300, L'x');
  const std::pair<std::wstring, std::wstring> cases[] = {
      {LR"(C:/a/./x/../b.txt)", LR"(\\?\C:\a\b.txt)"},
      {LR"(C:\)" + longName, LR"(\\?\C:\)" + longName},
      {LR"(//server/share/a/../b)", LR"(\\?\UNC\server\share\b)"},
      {LR"(x/../../y.txt)", LR"(\\?\)" + parent + LR"(\y.txt)"},
      {LR"(\\?\C:\a\..\b)", LR"(\\?\C:\a\..\b)"},  // taken literally by Windows
      {LR"(\\.\pipe\name)", LR"(\\.\pipe\name)"},
      {L"NUL", LR"(\\.\NUL)"}};
  for (const auto& [given, expected] : cases) EXPECT_EQ(ExtendedLengthPath(given), expected);
}

// A folder chain of over 600 characters, Chinese names included, and a target whose name is as
// long as its temporary file's may be: the library and the tool (a relative path and an
// absolute one) encrypt into it and decrypt back.
TEST_F(WindowsFiles, PathsLongerThanMaxPathRoundTrip) {
  fs::path relative;
  for (int i = 0; i < 8; ++i) {
    relative /= PathFromUtf8("长路径文件夹" + std::to_string(i) + std::string(64, 'a'));
    ASSERT_TRUE(::CreateDirectoryW(ExtendedLengthPath(dir / relative).c_str(), nullptr));
  }
  const fs::path deep = dir / relative, plainName = PathFromUtf8("明文.txt");
  const fs::path cipher = deep / std::string(250, 'c');
  ASSERT_GT(deep.native().size(), 600u);
  const std::vector<Byte> plain = testing::Sequence(3000, 4);
  Write(deep / plainName, plain);
  ASSERT_EQ(c.FileEncrypt(deep / plainName, cipher, {}), 0);
  ASSERT_EQ(c.FileDecrypt(deep / "back", cipher, {}), 0);
  EXPECT_EQ(Read(deep / "back"), plain);

  const fs::path before = fs::current_path();
  fs::current_path(dir.Path());
  for (const auto& [command, from, to] : {std::tuple{"encrypt-file", relative / plainName, cipher},
                                          std::tuple{"decrypt-file", cipher, relative / "back"}}) {
    const testing::ToolResult run = testing::RunTool(
        HOSTSEAL_CLI_PATH,
        {{command, PathToUtf8(from), PathToUtf8(to)}, "", {{"HOSTSEAL_KEY", kKey}}});
    EXPECT_EQ(run.status, 0) << command << ": " << run.err;
  }
  fs::current_path(before);
  EXPECT_EQ(Read(cipher), testing::FramedWithLength(c, plain));
  EXPECT_EQ(Read(deep / "back"), plain);
  // std::filesystem does not list a folder in the extended-length form; the system does.
  std::set<std::string> names;
  WIN32_FIND_DATAW found{};
  const HANDLE listing = ::FindFirstFileW((ExtendedLengthPath(deep) + L"\\*").c_str(), &found);
  ASSERT_NE(listing, INVALID_HANDLE_VALUE);
  do names.insert(PathToUtf8(found.cFileName));
  while (::FindNextFileW(listing, &found));
  ::FindClose(listing);
  EXPECT_EQ(names, (std::set<std::string>{".", "..", "明文.txt", "back", std::string(250, 'c')}));
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
    const std::string reason = Number(e) == ErrorNumber::kPermissionDenied
                                   ? "Permission denied"
                                   : "Device or resource busy";
    EXPECT_NE(e.Description().find("open\" (" + reason + ")"), std::string::npos)
        << e.Description();
  }
  EXPECT_EQ(Read(dir / "open"), before);

  // Read-only.
  Write(dir / "read-only", before);
  ASSERT_TRUE(::SetFileAttributesW((dir / "read-only").c_str(), FILE_ATTRIBUTE_READONLY));
  const RaisedError e = Raised([&] { c.FileEncrypt(dir / "plain", dir / "read-only", {}); });
  EXPECT_EQ(Number(e), ErrorNumber::kPermissionDenied) << e.Description();
  EXPECT_NE(e.Description().find("read-only\" (Permission denied)"), std::string::npos)
      << e.Description();
  ::SetFileAttributesW((dir / "read-only").c_str(), FILE_ATTRIBUTE_NORMAL);
  EXPECT_EQ(Read(dir / "read-only"), before);

  EXPECT_EQ(dir.Names(), (std::set<std::string>{"open", "plain", "read-only"}));
}

TEST_F(WindowsFiles, AFileIsItsOwnTargetThroughTheLibraryAndTheTool) {
  const std::vector<Byte> plain = testing::Sequence(5000, 7);
  const std::vector<Byte> framed = testing::FramedWithLength(c, plain);
  const std::string file = PathToUtf8(dir / "file");
  const auto tool = [&](const char* command) {
    const testing::ToolResult run =
        testing::RunTool(HOSTSEAL_CLI_PATH, {{command, file, file}, "", {{"HOSTSEAL_KEY", kKey}}});
    EXPECT_EQ(run.status, 0) << command << ": " << run.err;
  };
  // Renamed into place, then written in place once a second name shares the file.
  for (const bool linked : {false, true}) {
    Write(dir / "file", plain);
    if (linked) {
      ASSERT_TRUE(::CreateHardLinkW((dir / "link").c_str(), (dir / "file").c_str(), nullptr));
    }
    ASSERT_EQ(c.FileEncrypt(dir / "file", dir / "file", {}), 0);
    EXPECT_EQ(Read(dir / "file"), framed);
    ASSERT_EQ(c.FileDecrypt(dir / "file", dir / "file", {}), 0);
    EXPECT_EQ(Read(dir / "file"), plain);
    tool("encrypt-file");
    EXPECT_EQ(Read(dir / "file"), framed);
    tool("decrypt-file");
    EXPECT_EQ(Read(dir / "file"), plain);
    if (linked) {
      EXPECT_EQ(Read(dir / "link"), plain);
    }
  }
  EXPECT_EQ(dir.Names(), (std::set<std::string>{"file", "link"}));
}

TEST_F(WindowsFiles, ATargetOpenElsewhereThatSharesDeletionIsRefusedBeforeAnyWork) {
  const std::vector<Byte> before = testing::Sequence(64, 5);
  Write(dir / "input", before);
  Write(dir / "target", before);
  // Another program reading the target or the input itself, allowing everything.
  for (const char* target : {"target", "input"}) {
    for (const bool encrypt : {true, false}) {
      const HANDLE held = ::CreateFileW((dir / target).c_str(), GENERIC_READ,
                                        FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                        nullptr, OPEN_EXISTING, 0, nullptr);
      ASSERT_NE(held, INVALID_HANDLE_VALUE);
      FolderWatch watch(dir.Path());
      const RaisedError e = Raised([&] {
        encrypt ? c.FileEncrypt(dir / "input", dir / target, {})
                : c.FileDecrypt(dir / target, dir / "input", {});
      });
      ::CloseHandle(held);
      EXPECT_EQ(Number(e), ErrorNumber::kPathFileAccessError) << e.Description();
      EXPECT_NE(e.Description().find(std::string(target) + "\" ("), std::string::npos)
          << e.Description();
      // No temporary file came and went before this one.
      Write(dir / "marker", {});
      EXPECT_EQ(watch.FirstName(), L"marker") << target << (encrypt ? " encrypt" : " decrypt");
      fs::remove(dir / "marker");
    }
    EXPECT_EQ(Read(dir / target), before);
  }
  EXPECT_EQ(dir.Names(), (std::set<std::string>{"input", "target"}));
}

// The reasons in brackets are Linux's words for the same failure, so errors read alike.
TEST_F(WindowsFiles, ErrorsCarryTheirNumberThePathAndTheReasonAsOnLinux) {
  const RaisedError missing = Raised([&] { c.FileEncrypt(dir / "missing", dir / "out", {}); });
  EXPECT_EQ(Number(missing), ErrorNumber::kFileNotFound);
  EXPECT_EQ(missing.Description(),
            "File not found: \"" + PathToUtf8(dir / "missing") + "\" (No such file or directory)");

  Write(dir / "plain", testing::Sequence(10));
  const RaisedError noFolder =
      Raised([&] { c.FileEncrypt(dir / "plain", dir / "no folder" / "out", {}); });
  EXPECT_EQ(Number(noFolder), ErrorNumber::kPathNotFound) << noFolder.Description();
  EXPECT_EQ(noFolder.Description(), "Path not found: \"" + PathToUtf8(dir / "no folder") +
                                        "\" (No such file or directory)");

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
