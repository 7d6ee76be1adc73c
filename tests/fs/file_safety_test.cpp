// What a user can rely on when files are encrypted on a shared machine: outputs private until
// complete, interruptions that leave nothing behind, hard links that see the new content,
// inputs read to their end, and names that cannot be files.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/mman.h>
#include <sys/prctl.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <csignal>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <random>
#include <set>
#include <string>
#include <vector>

#include "hostseal/cipher/rijndael.hpp"
#include "hostseal/common/raised_error.hpp"
#include "hostseal/common/utf8.hpp"
#include "hostseal/fs/linux/file_descriptor.hpp"
#include "hostseal/fs/linux/interrupt_cleanup.hpp"
#include "hostseal/fs/linux/temporary_file.hpp"
#include "hostseal/text/file_bytes.hpp"
#include "tests/support/linux/file_test_support.hpp"

namespace hostseal {
namespace {

namespace fs = std::filesystem;
using testing::ReadFile;
using testing::WriteFile;

using testing::kChunk;

// Temporary files of both kinds: unnamed (O_TMPFILE) and named, as on file systems without it.
class TemporaryKind {
 public:
  explicit TemporaryKind(bool unnamed) { AllowUnnamedTemporaryFiles(unnamed); }
  TemporaryKind(const TemporaryKind&) = delete;
  TemporaryKind& operator=(const TemporaryKind&) = delete;
  ~TemporaryKind() { AllowUnnamedTemporaryFiles(true); }
};

class Umask {
 public:
  explicit Umask(mode_t mask) : m_Previous(::umask(mask)) {}
  Umask(const Umask&) = delete;
  Umask& operator=(const Umask&) = delete;
  ~Umask() { ::umask(m_Previous); }

 private:
  mode_t m_Previous;
};

// Every signal whose default ends the process, as another process sends it.
std::vector<int> EndingSignals() {
  std::vector<int> signals = TerminatingSignals();
  const std::vector<int> faults = FaultSignals();
  signals.insert(signals.end(), faults.begin(), faults.end());
  return signals;
}

// Whether a child ended as the signal's effect before the library's handler: by that signal,
// or, under AddressSanitizer, whose handler comes first for SIGSEGV, SIGBUS and SIGFPE, by its
// report (exit status 1, or SIGABRT with abort_on_error=1).
bool EndedBy(int status, int signal) {
  if (WIFSIGNALED(status) && WTERMSIG(status) == signal) return true;
#if defined(__SANITIZE_ADDRESS__)
  if (signal == SIGSEGV || signal == SIGBUS || signal == SIGFPE) {
    return (WIFSIGNALED(status) && WTERMSIG(status) == SIGABRT) ||
           (WIFEXITED(status) && WEXITSTATUS(status) == 1);
  }
#endif
  return false;
}

class FileSafety : public testing::FileCipherTest {
 protected:
  // The modes of the files this process is writing into the folder that are not among its
  // known names: unnamed files show in /proc/self/fd as "FOLDER/#INODE (deleted)".
  std::vector<mode_t> ModesOfFilesBeingBuilt(const std::set<std::string>& known) const {
    std::vector<mode_t> modes;
    for (const auto& entry : fs::directory_iterator("/proc/self/fd")) {
      std::error_code error;
      const fs::path target = fs::read_symlink(entry.path(), error);
      if (error || target.parent_path() != dir.Path()) continue;
      if (known.count(target.filename().string()) != 0) continue;
      struct stat info {};
      if (::stat(entry.path().c_str(), &info) == 0) modes.push_back(info.st_mode & 07777);
    }
    for (const std::string& name : dir.Names()) {
      if (known.count(name) == 0) modes.push_back(testing::ModeOf(dir / name));
    }
    return modes;
  }
};

TEST_F(FileSafety, OutputsArePrivateUntilCompleteAndNoMoreOpenThanTheirInput) {
  const Umask noMask(0);  // the widest a new file could be
  WriteFile(dir / "plain", testing::RandomBytes(3 * kChunk + 5, 1));
  for (const bool unnamed : {true, false}) {
    const TemporaryKind kind(unnamed);
    for (const mode_t inputMode : {mode_t{0644}, mode_t{0600}}) {
      SCOPED_TRACE(std::string(unnamed ? "unnamed" : "named") + " temporary, input mode " +
                   std::to_string(inputMode));
      fs::remove(dir / "cipher");
      fs::remove(dir / "back");
      ASSERT_EQ(::chmod((dir / "plain").c_str(), inputMode), 0);
      std::vector<mode_t> seen;
      auto look = [&](const std::set<std::string>& known) {
        return [&, known](std::uint64_t done, std::uint64_t total) {
          if (done == total) return;
          const std::vector<mode_t> modes = ModesOfFilesBeingBuilt(known);
          seen.insert(seen.end(), modes.begin(), modes.end());
        };
      };
      ASSERT_EQ(c.FileEncrypt(dir / "plain", dir / "cipher", look({"plain"})), 0);
      ASSERT_EQ(c.FileDecrypt(dir / "back", dir / "cipher", look({"plain", "cipher"})), 0);
      ASSERT_FALSE(seen.empty());
      for (const mode_t mode : seen) EXPECT_EQ(mode, 0600u);
      EXPECT_EQ(testing::ModeOf(dir / "cipher"), inputMode);
      EXPECT_EQ(testing::ModeOf(dir / "back"), inputMode);
      EXPECT_EQ(dir.Names(), (std::set<std::string>{"back", "cipher", "plain"}));
    }
  }
  // The umask still narrows a new file, as it does for cp.
  const Umask groupMask(027);
  ASSERT_EQ(::chmod((dir / "plain").c_str(), 0666), 0);
  ASSERT_EQ(c.FileEncrypt(dir / "plain", dir / "fresh", {}), 0);
  EXPECT_EQ(testing::ModeOf(dir / "fresh"), 0640u);
}

// A child encrypts or decrypts 12 MiB and is sent a signal that ends processes (SIGSEGV and
// the other fault signals among them: another process sent them) after a
// progress report: once while it waits in the report (its helper thread still working), so
// that the output cannot be complete yet, and once while it goes on, at whatever point it has
// reached (renaming, or writing a hard-linked target in place). The target must hold its
// former content or, in the second case, the complete new one, the child must end by that
// signal unless it finished first, and the folder must gain nothing.
TEST_F(FileSafety, InterruptionsLeaveTheTargetAndTheFolderAsTheyWere) {
  const std::vector<Byte> plain = testing::RandomBytes(12 << 20, 2);
  WriteFile(dir / "plain", plain);
  ASSERT_EQ(c.FileEncrypt(dir / "plain", dir / "cipher", {}), 0);
  const std::vector<Byte> cipher = ReadFile(dir / "cipher");
  const std::vector<Byte> former = testing::Sequence(1000);
  std::mt19937 random(std::random_device{}());

  for (const int signal : EndingSignals()) {
    // The real-time signals take one path: the first and the last stand for them here (every
    // one is held back and ends the process in the next test).
    if (signal > SIGRTMIN && signal < SIGRTMAX) continue;
    for (const bool hardLinked : {false, true}) {
      for (const bool unnamed : {true, false}) {
        for (const bool encrypt : {true, false}) {
          for (const bool waits : {true, false}) {
            const int stopAt = waits ? 1 : std::uniform_int_distribution<int>(1, 3)(random);
            SCOPED_TRACE(std::string(strsignal(signal)) + (hardLinked ? ", hard-linked" : "") +
                         (unnamed ? ", unnamed" : ", named") +
                         (encrypt ? ", encrypt" : ", decrypt") + (waits ? ", waiting" : "") +
                         ", report " + std::to_string(stopAt));
            WriteFile(dir / "target", former);
            fs::remove(dir / "other-name");
            if (hardLinked) fs::create_hard_link(dir / "target", dir / "other-name");
            const std::set<std::string> before = dir.Names();
            int reports[2];
            int go[2];
            ASSERT_EQ(::pipe(reports), 0);
            ASSERT_EQ(::pipe(go), 0);
            const pid_t child = ::fork();
            ASSERT_GE(child, 0);
            if (child == 0) {
              ::prctl(PR_SET_DUMPABLE, 0);  // no core file for SIGQUIT and its like
              AllowUnnamedTemporaryFiles(unnamed);
              auto report = [&](std::uint64_t done, std::uint64_t total) {
                if (done == total) return;
                char byte = 0;
                if (::write(reports[1], &byte, 1) != 1) ::_exit(3);
                if (waits && ::read(go[0], &byte, 1) != 1) ::_exit(3);
              };
              testing::Crypt(c, encrypt, dir / (encrypt ? "plain" : "cipher"), dir / "target",
                             report);
              ::_exit(0);
            }
            ::close(reports[1]);
            ::close(go[0]);
            int count = 0;
            char byte = 0;
            std::size_t namesWhileWaiting = 0;
            while (::read(reports[0], &byte, 1) == 1) {
              if (++count == stopAt) {
                namesWhileWaiting = dir.Names().size();
                ::kill(child, signal);
                break;
              }
              if (waits && ::write(go[1], &byte, 1) != 1) break;
            }
            ::close(reports[0]);
            ::close(go[1]);
            int status = 0;
            ASSERT_EQ(::waitpid(child, &status, 0), child);
            EXPECT_EQ(dir.Names(), before);
            const std::vector<Byte> after = ReadFile(dir / "target");
            if (waits) {
              EXPECT_TRUE(EndedBy(status, signal)) << "status " << status;
              // A named temporary file was there to be removed.
              EXPECT_EQ(namesWhileWaiting, before.size() + (unnamed ? 0 : 1));
              EXPECT_TRUE(after == former);
            } else {
              const bool finished = WIFEXITED(status) && WEXITSTATUS(status) == 0;
              EXPECT_TRUE(finished || EndedBy(status, signal)) << "status " << status;
              // A signal held back while the file was put in place ends the child after it.
              EXPECT_TRUE(after == former || after == (encrypt ? cipher : plain));
            }
            if (hardLinked) {
              EXPECT_TRUE(ReadFile(dir / "other-name") == after);
            }
          }
        }
      }
    }
  }
}

// Every such signal is held back while a file is written in place or given its name, and
// then removes the files registered and ends the process by itself.
TEST_F(FileSafety, WritingInPlaceHoldsInterruptionsBackUntilItIsDone) {
  for (const int signal : TerminatingSignals()) {
    SCOPED_TRACE(strsignal(signal));
    WriteFile(dir / "registered", testing::Sequence(10));
    const std::string failure = testing::RunInChild([&]() -> std::string {
      ::prctl(PR_SET_DUMPABLE, 0);  // no core file for SIGQUIT and its like
      const FileDescriptor folder(::open(dir.Path().c_str(), O_PATH | O_DIRECTORY | O_CLOEXEC));
      const RemovalOnInterrupt removal(folder.Get(), "registered");
      {
        const DeferredInterrupts deferred;
        ::raise(signal);
        if (!fs::exists(dir / "registered")) return "removed while held back";
      }
      return "still running after the deferred signal";
    });
    EXPECT_EQ(failure, "child ended abnormally, status " + std::to_string(signal));
    EXPECT_EQ(dir.Names(), std::set<std::string>{});
  }
}

// A fault signal that the process raises itself (a faulting instruction, abort(), raise()) is
// not held back and removes nothing, its memory not being trusted: it ends the process at once.
TEST_F(FileSafety, FaultsOfTheProcessItselfEndItAtOnce) {
  std::vector<std::pair<int, std::function<void()>>> faults = {
      {SIGSEGV,
       [] {
         void* page = ::mmap(nullptr, 4096, PROT_NONE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
         static_cast<volatile char*>(page)[0] = 1;
       }},
      {SIGILL, [] { __builtin_trap(); }},
      {SIGABRT, [] { std::abort(); }}};
  for (const int signal : FaultSignals())
    faults.emplace_back(signal, [signal] { ::raise(signal); });
  for (const auto& [signal, fault] : faults) {
    SCOPED_TRACE(strsignal(signal));
    WriteFile(dir / "registered", testing::Sequence(10));
    const pid_t child = ::fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
      ::prctl(PR_SET_DUMPABLE, 0);
      const FileDescriptor folder(::open(dir.Path().c_str(), O_PATH | O_DIRECTORY | O_CLOEXEC));
      const RemovalOnInterrupt removal(folder.Get(), "registered");
      const DeferredInterrupts deferred;
      fault();
      ::_exit(0);
    }
    int status = 0;
    ASSERT_EQ(::waitpid(child, &status, 0), child);
    EXPECT_TRUE(EndedBy(status, signal)) << "status " << status;
    EXPECT_EQ(dir.Names(), std::set<std::string>{"registered"});
  }
}

volatile std::sig_atomic_t g_PreviousHandlerCalls = 0;

// In a fresh process (the death test runs this program again), whose handlers the library's
// come after: a signal the program handles itself goes to its handler and removes nothing, as
// the program goes on (a replacement under way still finishes), and an ignored one stays
// ignored.
TEST_F(FileSafety, SignalsTheProgramHandlesItselfRemoveNothing) {
  GTEST_FLAG_SET(death_test_style, "threadsafe");
  WriteFile(dir / "registered", testing::Sequence(10));
  WriteFile(dir / "plain", testing::Sequence(3 * kChunk));
  const auto child = [&] {
    ::signal(SIGUSR1, [](int) { g_PreviousHandlerCalls = g_PreviousHandlerCalls + 1; });
    ::signal(SIGUSR2, SIG_IGN);
    const FileDescriptor folder(::open(dir.Path().c_str(), O_PATH | O_DIRECTORY));
    const RemovalOnInterrupt removal(folder.Get(), "registered");
    ::raise(SIGUSR2);
    ::raise(SIGUSR1);
    const TemporaryKind named(false);
    const int status = c.FileEncrypt(dir / "plain", dir / "cipher",
                                     [](std::uint64_t, std::uint64_t) { ::raise(SIGUSR1); });
    const std::set<std::string> expected = {"cipher", "plain", "registered"};
    const bool passed = status == 0 && g_PreviousHandlerCalls > 1 && dir.Names() == expected;
    fs::remove_all(dir.Path());  // the folder this run of the program made: _exit keeps it
    ::_exit(passed ? 0 : 1);
  };
  EXPECT_EXIT(child(), ::testing::ExitedWithCode(0), "");
}

TEST_F(FileSafety, HardLinksSeeTheNewContent) {
  WriteFile(dir / "plain", testing::Sequence(100));
  WriteFile(dir / "cipher", testing::Sequence(5000));
  ASSERT_EQ(::chmod((dir / "cipher").c_str(), 0640), 0);
  fs::create_hard_link(dir / "cipher", dir / "other-name");
  struct stat before {};
  ASSERT_EQ(::stat((dir / "cipher").c_str(), &before), 0);

  ASSERT_EQ(c.FileEncrypt(dir / "plain", dir / "cipher", {}), 0);
  EXPECT_EQ(ReadFile(dir / "cipher"), testing::FramedWithLength(c, testing::Sequence(100)));
  EXPECT_EQ(ReadFile(dir / "other-name"), testing::FramedWithLength(c, testing::Sequence(100)));
  struct stat after {};
  ASSERT_EQ(::stat((dir / "cipher").c_str(), &after), 0);
  EXPECT_EQ(after.st_ino, before.st_ino);
  EXPECT_EQ(after.st_mode & 07777, 0640u);

  // Decrypting a hard-linked cipher file into itself reads it all before writing it.
  ASSERT_EQ(c.FileDecrypt(dir / "cipher", dir / "cipher", {}), 0);
  EXPECT_EQ(ReadFile(dir / "other-name"), testing::Sequence(100));
  EXPECT_EQ(dir.Names(), (std::set<std::string>{"cipher", "other-name", "plain"}));
}

std::string Cat(const std::string& path) {
  std::string out;
  FILE* pipe = ::popen(("cat " + path).c_str(), "r");
  if (pipe == nullptr) return out;
  char buffer[4096];
  std::size_t n = 0;
  while ((n = std::fread(buffer, 1, sizeof buffer, pipe)) > 0) out.append(buffer, n);
  ::pclose(pipe);
  return out;
}

TEST_F(FileSafety, PseudoFilesAreReadToTheirEnd) {
  for (const std::string path :
       {"/proc/cpuinfo", "/proc/self/mountinfo", "/sys/devices/system/cpu/online"}) {
    SCOPED_TRACE(path);
    const std::string before = Cat(path);
    ASSERT_FALSE(before.empty());
    // Read-only, as their input: only root could write them again.
    fs::remove(dir / "cipher");
    fs::remove(dir / "back");
    ASSERT_EQ(c.FileEncrypt(path, dir / "cipher", {}), 0);
    ASSERT_EQ(c.FileDecrypt(dir / "back", dir / "cipher", {}), 0);
    const std::vector<Byte> back = ReadFile(dir / "back");
    const std::string text(back.begin(), back.end());
    EXPECT_TRUE(text == before || text == Cat(path)) << "decrypted " << text.size() << " bytes";
  }
  ByteArray data;
  std::int16_t size = 0;
  LoadFileBytes(u"/proc/self/mountinfo", data, size);
  EXPECT_GT(size, 0);
}

// Also a change that keeps the length: 16 bytes rewritten in place, or the times alone. The
// file's times are set far back first, so that the change moves them whatever the clock's tick.
TEST_F(FileSafety, AnInputThatChangesWhileReadIsRefused) {
  const std::vector<Byte> plain = testing::RandomBytes(2 * kChunk + 1, 3);
  const timespec past[2] = {{1'000'000'000, 5}, {1'000'000'000, 5}};
  const timespec other[2] = {{1'000'000'000, 5}, {1'000'000'000, 6}};
  for (const std::string change : {"grows", "shrinks", "rewritten", "times"}) {
    SCOPED_TRACE(change);
    WriteFile(dir / "plain", plain);
    ASSERT_EQ(::utimensat(AT_FDCWD, (dir / "plain").c_str(), past, 0), 0);
    WriteFile(dir / "target", testing::Sequence(10));
    auto meddle = [&](std::uint64_t done, std::uint64_t total) {
      if (done == total) return;
      if (change == "times") {
        ::utimensat(AT_FDCWD, (dir / "plain").c_str(), other, 0);
        return;
      }
      std::fstream file(dir / "plain",
                        std::ios::binary | std::ios::in | std::ios::out |
                            (change == "grows" ? std::ios::app : std::ios::openmode{}));
      if (change == "shrinks") {
        fs::resize_file(dir / "plain", plain.size() - 1);
      } else {
        file.write("sixteen  bytes!!", 16);
      }
    };
    const testing::Raised raised =
        testing::RaisedBy([&] { c.FileEncrypt(dir / "plain", dir / "target", meddle); });
    EXPECT_EQ(raised.number, 75);
    EXPECT_NE(raised.description.find("changed while it was read"), std::string::npos);
    EXPECT_EQ(ReadFile(dir / "target"), testing::Sequence(10));
  }
  EXPECT_EQ(dir.Names(), (std::set<std::string>{"plain", "target"}));
}

// A named temporary file is ".STEM.XXXXXXXX.tmp" with the stem cut to at most 200 bytes, at a
// character's boundary when the name is UTF-8 (no character cut in half), anywhere when not.
TEST_F(FileSafety, TemporaryNamesCutLongNamesBetweenCharacters) {
  const TemporaryKind named(false);
  const FileDescriptor folder(::open(dir.Path().c_str(), O_PATH | O_DIRECTORY | O_CLOEXEC));
  std::string chinese = "a";
  std::string emoji = "ab";
  for (int i = 0; i < 84; ++i) chinese += "\u4E2D";    // 3 bytes, byte 200 inside one
  for (int i = 0; i < 63; ++i) emoji += "\U0001F600";  // 4 bytes, likewise
  for (const std::string& stem : {chinese, emoji, std::string(255, 'x'), std::string(255, '\xFF'),
                                  std::string(199, 'x') + "\xC3\xA9\xFF" + std::string(50, 'y')}) {
    SCOPED_TRACE(stem.size());
    int error = 0;
    const auto file = TemporaryFile::Create(folder.Get(), stem, false, error);
    ASSERT_NE(file, nullptr) << error;
    ASSERT_EQ(dir.Names().size(), 1u);
    const std::string name = *dir.Names().begin();
    ASSERT_GT(name.size(), 14u);
    EXPECT_EQ(name.front(), '.');
    EXPECT_EQ(name.substr(name.size() - 13, 1) + name.substr(name.size() - 4), "..tmp");
    const std::string kept = name.substr(1, name.size() - 14);
    EXPECT_EQ(stem.rfind(kept, 0), 0u);
    EXPECT_LE(kept.size(), 200u);
    EXPECT_GT(kept.size(), 196u);
    const std::u16string whole = FromUtf8(stem);
    EXPECT_EQ(whole.rfind(FromUtf8(kept), 0), 0u) << "a character was cut";
  }
  EXPECT_EQ(dir.Names(), std::set<std::string>{});
}

// Paths as the kernel resolves them, though they are walked part by part: links relative and
// absolute at any part, "..", names that are not UTF-8, and at most 40 links.
TEST_F(FileSafety, PathsAreResolvedAsTheKernelDoes) {
  const std::string odd = "\xFF\xFE";
  fs::create_directories(dir / "sub");
  fs::create_directories(dir / odd);
  fs::create_symlink("sub", dir / "rel");
  fs::create_symlink(dir / "sub", dir / "abs");
  fs::create_symlink("../rel/../" + odd, dir / odd / "back");
  fs::create_symlink("sub/chained", dir / "c1");
  for (int i = 2; i <= 41; ++i) {
    fs::create_symlink("c" + std::to_string(i - 1), dir / ("c" + std::to_string(i)));
  }
  WriteFile(dir / "plain", testing::Sequence(70));
  const std::vector<Byte> cipher = testing::FramedWithLength(c, testing::Sequence(70));
  for (const auto& [named, real] : std::vector<std::pair<fs::path, fs::path>>{
           {dir / "rel" / "a", dir / "sub" / "a"},
           {dir / "abs" / "." / "b", dir / "sub" / "b"},
           {dir / "abs" / ".." / odd / "c", dir / odd / "c"},
           {dir / odd / "back" / "back" / "d", dir / odd / "d"},
           {dir / "c40", dir / "sub" / "chained"}}) {
    SCOPED_TRACE(named.string());
    ASSERT_EQ(c.FileEncrypt(dir / "plain", named, {}), 0);
    EXPECT_EQ(ReadFile(real), cipher);
    ASSERT_EQ(c.FileDecrypt(dir / "back", named, {}), 0);
    EXPECT_EQ(ReadFile(dir / "back"), testing::Sequence(70));
  }
  EXPECT_TRUE(fs::is_symlink(dir / "c40"));
  EXPECT_EQ(testing::ErrorNumberOf([&] { c.FileEncrypt(dir / "plain", dir / "c41", {}); }), 75);
  EXPECT_EQ(testing::ErrorNumberOf([&] { c.FileEncrypt(dir / "c41", dir / "out", {}); }), 75);
  EXPECT_EQ(testing::ErrorNumberOf([&] { c.FileEncrypt(dir / "plain", dir / "c41" / "x", {}); }),
            75);
  // The links of /proc's own stand for what they were opened as, even a file with no name.
  const int fd = ::open((dir / "plain").c_str(), O_RDONLY | O_CLOEXEC);
  fs::remove(dir / "plain");
  EXPECT_EQ(c.FileEncrypt("/dev/fd/" + std::to_string(fd), dir / "again", {}), 0);
  ::close(fd);
  EXPECT_EQ(ReadFile(dir / "again"), cipher);
}

TEST_F(FileSafety, NamesThatCannotBeFileNamesAndOneStyleOfFileErrors) {
  const std::u16string folder = FromUtf8(dir.Path().string());
  WriteFile(dir / "x\xEF\xBF\xBD", testing::Sequence(20));  // "x" and U+FFFD
  const std::u16string lone = folder + u"/x" + std::u16string(1, char16_t{0xD800});
  const std::u16string fine = folder + u"/fine";
  for (const auto& [plain, cipher] :
       {std::pair{lone, fine}, std::pair{fine, lone}, std::pair{std::u16string(u"a\0b", 3), fine},
        std::pair{std::u16string(), fine}}) {
    EXPECT_EQ(testing::ErrorNumberOf([&] { c.FileEncrypt(plain, cipher); }), 52);
    EXPECT_EQ(testing::ErrorNumberOf([&] { c.FileDecrypt(plain, cipher); }), 52);
  }
  EXPECT_EQ(dir.Names(), (std::set<std::string>{"x\xEF\xBF\xBD"}));

  // The same missing file reads the same from every file routine.
  const std::u16string missing = folder + u"/notes.txt";
  const std::string expected =
      "File not found: \"" + dir.Path().string() + "/notes.txt\" (No such file or directory)";
  ByteArray data;
  std::int16_t size = 0;
  for (const testing::Raised& raised :
       {testing::RaisedBy([&] { c.FileEncrypt(missing, fine); }),
        testing::RaisedBy([&] { c.FileDecrypt(fine, missing); }),
        testing::RaisedBy([&] { LoadFileBytes(missing, data, size); })}) {
    EXPECT_EQ(raised.number, 53);
    EXPECT_EQ(raised.description, expected);
  }
  EXPECT_EQ(dir.Names(), (std::set<std::string>{"x\xEF\xBF\xBD"}));
  // A name with an escape sequence cannot reach a terminal raw through a message.
  const std::string escaped =
      testing::RaisedBy([&] { c.FileEncrypt(folder + u"/\x1B[2J", fine); }).description;
  EXPECT_EQ(escaped.find('\x1B'), std::string::npos);
  EXPECT_NE(escaped.find("U+001B[2J"), std::string::npos);
}

}  // namespace
}  // namespace hostseal
