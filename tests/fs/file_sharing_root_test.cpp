// Files as a second user of the machine sees them: links planted in a sticky folder that
// everyone may write to (as /tmp), and files that may be written in folders that may not.
// Root tests: the second user is nobody (65534), taken on by a forked child.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/types.h>
#include <unistd.h>

#include <csignal>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <functional>
#include <set>
#include <string>
#include <string_view>
#include <vector>

#include "hostseal/cipher/rijndael.hpp"
#include "hostseal/common/raised_error.hpp"
#include "hostseal/common/utf8.hpp"
#include "hostseal/fs/linux/file_descriptor.hpp"
#include "hostseal/fs/replacing_file.hpp"
#include "hostseal/operations/file_operation.hpp"
#include "tests/support/cipher_test_support.hpp"
#include "tests/support/linux/file_test_support.hpp"
#include "tests/support/memory_box.hpp"
#include "tests/support/process_runner.hpp"

namespace hostseal {
namespace {

namespace fs = std::filesystem;
using testing::ReadFile;
using testing::WriteFile;

const std::string kCli = HOSTSEAL_CLI_PATH;

constexpr uid_t kNobody = 65534;
constexpr uid_t kCaller = 0;
constexpr uid_t kOwner = 4242;  // owns the shared folder in the table below

// A program run by root with a plain environment; under the file-size limit 0 (ulimit -f 0)
// when sizeLimit.
testing::ProcessRun Program(std::vector<std::string> argv, bool sizeLimit) {
  testing::ProcessRun run;
  if (sizeLimit) run.argv = {"/bin/bash", "-c", "ulimit -f 0 && exec \"$@\"", "bash"};
  run.argv.insert(run.argv.end(), argv.begin(), argv.end());
  run.env = {"PATH=/usr/sbin:/usr/bin:/sbin:/bin", "LC_ALL=C.UTF-8", "QT_QPA_PLATFORM=offscreen"};
  for (const char* name : {"ASAN_OPTIONS", "UBSAN_OPTIONS", "LSAN_OPTIONS"}) {
    if (const char* value = std::getenv(name)) run.env.push_back(std::string(name) + "=" + value);
  }
  return run;
}

// "" when the program succeeded; otherwise the last line of its standard error, which holds
// its message (Qt may say other things before it), or what else went wrong.
std::string MessageOf(const testing::ProcessResult& result) {
  if (result.status == 0) return "";
  if (result.status != 3) return "exit status " + std::to_string(result.status) + ": " + result.err;
  if (result.err.empty() || result.err.back() != '\n') return "no line: " + result.err;
  const std::string_view err(result.err.data(), result.err.size() - 1);
  const std::size_t start = err.find_last_of('\n');
  if (err.find_first_of("\x1b\x07") != std::string_view::npos) return "raw controls: " + result.err;
  return std::string(err.substr(start == std::string_view::npos ? 0 : start + 1));
}

// In a child: the file-size limit 0, with SIGXFSZ ignored as the programs do.
void LimitFileSize() {
  const rlimit none{0, 0};
  ::setrlimit(RLIMIT_FSIZE, &none);
  std::signal(SIGXFSZ, SIG_IGN);
}

class FileSharing : public ::testing::Test {
 protected:
  void SetUp() override {
    if (::geteuid() != 0) GTEST_SKIP() << "needs root to act as a second user";
    c.SetCipherKey(ByteArray(testing::Sequence(16, 5)), 128);
    fs::permissions(dir.Path(),
                    fs::perms::owner_all | fs::perms::group_exec | fs::perms::others_exec);
    fs::create_directory(dir / "shared");
    ASSERT_EQ(::chmod((dir / "shared").c_str(), 01777), 0);
    fs::create_directory(dir / "private");
    ASSERT_EQ(::chmod((dir / "private").c_str(), 0700), 0);
    WriteFile(dir / "plain", testing::Sequence(100));
    ASSERT_EQ(::chmod((dir / "plain").c_str(), 0644), 0);
    ByteArray cipher;
    c.ArrayEncrypt(ByteArray(testing::Sequence(100)), cipher, 1);
    m_Cipher = cipher.Bytes();
    WriteFile(dir / "cipher", m_Cipher);
    ASSERT_EQ(::chmod((dir / "cipher").c_str(), 0644), 0);
  }

  cRijndael c;
  testing::ScratchFolder dir;
  std::vector<Byte> m_Cipher;
};

TEST_F(FileSharing, WritableFilesAreWrittenInPlaceWhereTheirFolderIsNotWritable) {
  // A folder that nobody may not write to, holding a file that nobody may write.
  fs::create_directory(dir / "locked");
  WriteFile(dir / "locked" / "notes.aes", testing::Sequence(7000));
  ASSERT_EQ(::chown((dir / "locked" / "notes.aes").c_str(), kNobody, kNobody), 0);
  ASSERT_EQ(::chmod((dir / "locked" / "notes.aes").c_str(), 0640), 0);
  // A file of root's that everyone may write, in the shared folder: renaming over it would
  // take it from its owner (and the sticky folder refuses that anyway).
  WriteFile(dir / "shared" / "board.txt", testing::Sequence(10));
  ASSERT_EQ(::chmod((dir / "shared" / "board.txt").c_str(), 0666), 0);
  // TMPDIR, where the complete result is built, must be left empty.
  fs::create_directory(dir / "scratch");
  ASSERT_EQ(::chmod((dir / "scratch").c_str(), 01777), 0);

  const std::string failure = testing::RunInChild([&]() -> std::string {
    if (std::string error = testing::BecomeUser(kNobody); !error.empty()) return error;
    ::setenv("TMPDIR", (dir / "scratch").c_str(), 1);
    std::string result;
    if (c.FileEncrypt(dir / "plain", dir / "locked" / "notes.aes", {}) != 0) result += "encrypt;";
    if (c.FileDecrypt(dir / "shared" / "board.txt", dir / "cipher", {}) != 0) result += "decrypt;";
    // Still nothing is created in the locked folder.
    if (testing::ErrorNumberOf([&] { c.FileEncrypt(dir / "plain", dir / "locked" / "new", {}); }) !=
        70) {
      result += "new file in the locked folder;";
    }
    return result;
  });
  EXPECT_EQ(failure, "");
  EXPECT_EQ(ReadFile(dir / "locked" / "notes.aes"), m_Cipher);
  EXPECT_EQ(testing::ModeOf(dir / "locked" / "notes.aes"), 0640u);
  EXPECT_EQ(fs::status(dir / "shared" / "board.txt").permissions(), fs::perms(0666));
  EXPECT_EQ(ReadFile(dir / "shared" / "board.txt"), testing::Sequence(100));
  struct stat board {};
  ASSERT_EQ(::stat((dir / "shared" / "board.txt").c_str(), &board), 0);
  EXPECT_EQ(board.st_uid, 0u);
  EXPECT_EQ(std::distance(fs::directory_iterator(dir / "locked"), fs::directory_iterator()), 1);
  EXPECT_TRUE(fs::is_empty(dir / "scratch"));
}

// What is planted in a shared folder (owned by a third user), where in the path and by whom,
// met as input and as output: refused with 70 and nothing read or written, or followed.
TEST_F(FileSharing, WhatIsPlantedInASharedFolderIsUsedOnlyOnTheCallersTerms) {
  enum class Planted { kLink, kHardLink, kFileOrFolder };
  struct Case {
    Planted what;
    uid_t by;
    bool folderPart;
    bool refusedAsInput;
    bool refusedAsOutput;
  };
  const Case cases[] = {
      {Planted::kLink, kNobody, false, true, true},
      {Planted::kLink, kCaller, false, false, false},
      {Planted::kLink, kOwner, false, false, false},
      {Planted::kLink, kNobody, true, true, true},
      {Planted::kLink, kCaller, true, false, false},
      {Planted::kLink, kOwner, true, false, false},
      // A hard link has no owner of its own: whoever made it, the file is not written there.
      {Planted::kHardLink, kNobody, false, false, true},
      {Planted::kFileOrFolder, kNobody, false, false, true},
      {Planted::kFileOrFolder, kCaller, false, false, false},
      {Planted::kFileOrFolder, kOwner, false, false, false},
      {Planted::kFileOrFolder, kNobody, true, false, false},  // a folder of nobody's own
  };
  ASSERT_EQ(::chown((dir / "shared").c_str(), kOwner, kOwner), 0);
  const std::vector<Byte> kept = testing::Sequence(50, 9);
  int row = 0;
  for (const bool output : {false, true}) {
    for (const Case& planted : cases) {
      const std::string n = std::to_string(++row);
      SCOPED_TRACE("row " + n + (output ? ", output" : ", input"));
      const fs::path plant = dir / "shared" / ("p" + n);
      fs::path file = dir / "private" / ("v" + n);  // the file met at the end of the path
      fs::path named = plant;                       // the path the call is given
      if (planted.what == Planted::kFileOrFolder && planted.folderPart) {
        fs::create_directory(plant);
        file = named = plant / "v";
      } else if (planted.what == Planted::kFileOrFolder) {
        file = plant;
      } else if (planted.folderPart) {
        named = plant / file.filename();
      }
      WriteFile(file, kept);
      ASSERT_EQ(::chmod(file.c_str(), 0666), 0);
      if (planted.what == Planted::kLink) {
        fs::create_symlink(planted.folderPart ? file.parent_path() : file, plant);
      } else if (planted.what == Planted::kHardLink) {
        fs::create_hard_link(file, plant);
      }
      if (planted.what != Planted::kHardLink) {
        ASSERT_EQ(::lchown(plant.c_str(), planted.by, planted.by), 0);
      }
      if (planted.what == Planted::kFileOrFolder) {
        ASSERT_EQ(::chown(file.c_str(), planted.by, planted.by), 0);
      }

      const fs::path mine = dir / ("out" + n);
      const testing::Raised raised = testing::RaisedBy([&] {
        output ? c.FileEncrypt(dir / "plain", named, {}) : c.FileEncrypt(named, mine, {});
      });
      const std::int32_t number = raised.number;
      if (number != 0) {
        EXPECT_NE(raised.description.find('"' + plant.string() + "\" ("), std::string::npos)
            << raised.description;
        EXPECT_TRUE(planted.what != Planted::kLink ||
                    raised.description.find("another user") != std::string::npos)
            << raised.description;
      }
      if (output ? planted.refusedAsOutput : planted.refusedAsInput) {
        EXPECT_EQ(number, 70);
        EXPECT_EQ(ReadFile(file), kept);
        EXPECT_FALSE(fs::exists(mine));
      } else {
        EXPECT_EQ(number, 0);
        EXPECT_EQ(ReadFile(output ? file : mine),
                  output ? m_Cipher : testing::FramedWithLength(c, kept));
      }
    }
  }
}

// The output's folder is held open from the start: a folder that its owner swaps for a link
// to somewhere else before the output is complete does not carry the output there.
TEST_F(FileSharing, AFolderSwappedForALinkWhileTheOutputIsBuiltRedirectsNothing) {
  fs::create_directory(dir / "shared" / "d");
  ASSERT_EQ(::chown((dir / "shared" / "d").c_str(), kNobody, kNobody), 0);
  WriteFile(dir / "private" / "notes", testing::Sequence(50));
  ReplacingFile output(dir / "shared" / "d" / "notes", fs::perms(0644));
  const std::string failure = testing::RunInChild([&]() -> std::string {
    if (std::string error = testing::BecomeUser(kNobody); !error.empty()) return error;
    fs::rename(dir / "shared" / "d", dir / "shared" / "moved");
    fs::create_symlink(dir / "private", dir / "shared" / "d");
    return "";
  });
  ASSERT_EQ(failure, "");
  const std::vector<Byte> content = testing::Sequence(30, 1);
  output.WriteAt(content.data(), content.size(), 0);
  output.Commit();
  EXPECT_EQ(ReadFile(dir / "private" / "notes"), testing::Sequence(50));
  EXPECT_EQ(ReadFile(dir / "shared" / "moved" / "notes"), content);
}

// Every writer of the programs against what nobody plants in a shared folder: a sticky folder
// that others may write to (01777, as /tmp) and one that only its group may write to (01770, a
// team folder; nobody plants as a member of the group). Root runs the writer. Each plant is
// refused with one line that names it, its control characters shown as their codes, and
// leaves the file it aims at as it was; nothing stays behind in the folder.
TEST_F(FileSharing, EveryWriterMeetsWhatAnotherUserPlantsAlike) {
  constexpr gid_t kTeam = 4243;  // the 01770 folder's group; nobody joins it only to plant
  const fs::path plain = dir / "private" / "plain";
  WriteFile(plain, testing::Sequence(100));
  const fs::path sealed = dir / "private" / "sealed.aes";
  ASSERT_EQ(testing::RunProcess(Program({kCli, "encrypt-file", plain, sealed}, false)).status, 0);
  fs::create_directory(dir / "public");  // root's files that everyone may write

  // A writer gives the message line it ended with, "" when it wrote the target.
  using Write = std::function<std::string(const fs::path& target, bool sizeLimit)>;
  struct Writer {
    std::string name, says;
    Write write;
    bool replaces = true;  // keygen never replaces a file
  };
  const auto program = [](std::vector<std::string> argv) {
    return [argv](const fs::path& target, bool sizeLimit) {
      std::vector<std::string> line = argv;
      line.push_back(target);
      return MessageOf(testing::RunProcess(Program(line, sizeLimit)));
    };
  };
  std::vector<Writer> writers = {
      {"encrypt-file", "hostseal: ", program({kCli, "encrypt-file", plain})},
      {"decrypt-file", "hostseal: ", program({kCli, "decrypt-file", sealed})},
      {"keygen", "hostseal: ", program({kCli, "keygen"}), false},
      // The window's file job, with the key of the fixture's cipher.
      {"the window's file job", "Encrypt file: ", [&](const fs::path& target, bool sizeLimit) {
         return testing::RunInChild([&]() -> std::string {
           if (sizeLimit) LimitFileSize();
           MemoryBox box;
           const auto go = [](std::uint64_t, std::uint64_t) { return true; };
           if (RunFileJob(box, c, FileDirection::kEncrypt, plain.u16string(), target.u16string(),
                          go)) {
             return "";
           }
           return ToUtf8(box.Lines().back());
         });
       }}};
#ifdef HOSTSEAL_GUI_PATH
  writers.push_back(
      {"the screenshot", "hostseal-gui: ", program({HOSTSEAL_GUI_PATH, "--screenshot"})});
#endif

  enum class Planted { kFolderLink, kLink, kHardLink, kFifo, kOthersFile, kSizeLimit, kOddName };
  struct Row {
    Planted what;
    std::string replacingSays, keygenSays;  // how the message goes on
  };
  const std::string denied = "Permission denied: \"";
  const std::string exists = "Path/File access error: \"";
  const std::string full = "Disk full: \"";
  const Row rows[] = {{Planted::kFolderLink, denied, denied}, {Planted::kLink, denied, denied},
                      {Planted::kHardLink, denied, exists},   {Planted::kFifo, exists, exists},
                      {Planted::kOthersFile, denied, exists}, {Planted::kSizeLimit, full, full},
                      {Planted::kOddName, denied, denied}};
  const std::vector<Byte> kept = testing::Sequence(50, 9);

  for (const mode_t mode : {mode_t{01777}, mode_t{01770}}) {
    const fs::path shared = dir / (mode == 01777 ? "world" : "team");
    fs::create_directory(shared);
    ASSERT_EQ(::chown(shared.c_str(), kOwner, kTeam), 0);
    ASSERT_EQ(::chmod(shared.c_str(), mode), 0);
    std::set<std::string> planted;
    int n = 0;
    for (const Writer& writer : writers) {
      for (const Row& row : rows) {
        const std::string name = "p" + std::to_string(++n);
        SCOPED_TRACE(writer.name + " in " + shared.filename().string() + ", plant " + name);
        const bool odd = row.what == Planted::kOddName;
        const fs::path plant = shared / (odd ? name + "\x1b[2J\x07\n" : name);
        std::string shown = (shared / name).string() + (odd ? "U+001B[2JU+0007U+000A" : "");
        fs::path aim = dir / "private" / name;  // the file the plant aims the writer at
        fs::path target = plant;
        mode_t aimMode = 0600;
        const auto asNobody = [&](const std::function<int()>& plantIt) {
          const std::string failure = testing::RunInChild([&]() -> std::string {
            if (std::string error = testing::BecomeUser(kNobody, {kTeam}); !error.empty()) {
              return error;
            }
            return plantIt() == 0 ? "" : "cannot plant " + name;
          });
          ASSERT_EQ(failure, "");
          planted.insert(plant.filename());
        };
        if (row.what == Planted::kHardLink || row.what == Planted::kOthersFile) {
          aim = row.what == Planted::kHardLink ? dir / "public" / name : plant;
          aimMode = 0666;
        }
        if (row.what == Planted::kSizeLimit) {
          aim = plant;
          aimMode = 0644;
          if (!writer.replaces) {
            target = shared / (name + ".key");  // a new name, as keygen's are
            shown = target.string();
          }
          planted.insert(plant.filename());
        }
        if (row.what != Planted::kFifo && row.what != Planted::kFolderLink &&
            row.what != Planted::kOthersFile) {
          WriteFile(aim, kept);
          ASSERT_EQ(::chmod(aim.c_str(), aimMode), 0);
        }
        FileDescriptor fifo;
        switch (row.what) {
          case Planted::kFolderLink:
            target = plant / name;  // names dir/private/NAME through the link
            asNobody([&] { return ::symlink((dir / "private").c_str(), plant.c_str()); });
            break;
          case Planted::kLink:
          case Planted::kOddName:
            asNobody([&] { return ::symlink(aim.c_str(), plant.c_str()); });
            break;
          case Planted::kHardLink:
            asNobody([&] { return ::link(aim.c_str(), plant.c_str()); });
            break;
          case Planted::kFifo:
            asNobody([&] { return ::mkfifo(plant.c_str(), 0666); });
            // A reader keeps a writer that opened the fifo from waiting: its bytes show.
            fifo = FileDescriptor(::open(plant.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC));
            ASSERT_TRUE(fifo.IsOpen());
            break;
          case Planted::kOthersFile:
            asNobody([&] {
              WriteFile(plant, kept);
              return ::chmod(plant.c_str(), aimMode);
            });
            break;
          case Planted::kSizeLimit:
            break;
        }

        const std::string said = writer.write(target, row.what == Planted::kSizeLimit);
        const std::string expected =
            writer.says + (writer.replaces ? row.replacingSays : row.keygenSays) + shown + "\" (";
        EXPECT_EQ(said.substr(0, expected.size()), expected) << said;
        EXPECT_EQ(said.find_first_of("\x1b\x07\n"), std::string::npos) << said;
        if (row.what == Planted::kFifo) {
          char byte = 0;
          EXPECT_LE(::read(fifo.Get(), &byte, 1), 0) << "the writer wrote into the fifo";
          EXPECT_TRUE(fs::is_fifo(fs::symlink_status(plant)));
        } else if (row.what == Planted::kFolderLink) {
          EXPECT_FALSE(fs::exists(aim));
        } else {
          EXPECT_EQ(ReadFile(aim), kept);
          EXPECT_EQ(testing::ModeOf(aim), aimMode);
        }
      }
    }
    std::set<std::string> names;
    for (const auto& entry : fs::directory_iterator(shared)) {
      names.insert(entry.path().filename());
    }
    EXPECT_EQ(names, planted);
  }
}

}  // namespace
}  // namespace hostseal
