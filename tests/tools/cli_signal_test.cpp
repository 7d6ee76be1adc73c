// The tool ended by a signal while it writes a file: every signal whose default action ends a
// process, into a new target, over a single-link one (renamed into place) and over a
// hard-linked one (written in place); and the file-size limit, which is an error and no signal.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <poll.h>
#include <sys/wait.h>
#include <unistd.h>

#include <csignal>
#include <cstring>
#include <filesystem>
#include <set>
#include <string>
#include <vector>

#include "hostseal/fs/linux/interrupt_cleanup.hpp"
#include "tests/support/scratch_folder.hpp"
#include "tests/tools/cli_test_support.hpp"

namespace hostseal::testing {
namespace {

namespace fs = std::filesystem;

constexpr char kKey[] = "HOSTSEAL_KEY=000102030405060708090A0B0C0D0E0F";

// SIGPIPE for a test that writes to a program that may have ended.
class PipeSignalIgnored {
 public:
  PipeSignalIgnored() {
    struct sigaction ignore {};
    ignore.sa_handler = SIG_IGN;
    ::sigaction(SIGPIPE, &ignore, &m_Before);
  }
  PipeSignalIgnored(const PipeSignalIgnored&) = delete;
  PipeSignalIgnored& operator=(const PipeSignalIgnored&) = delete;
  ~PipeSignalIgnored() { ::sigaction(SIGPIPE, &m_Before, nullptr); }

 private:
  struct sigaction m_Before {};
};

// Runs `hostseal encrypt-file - target`, gives it a pipe's worth of input and, once it has
// taken some (it reads only after making its temporary file, and cannot finish before its
// input ends), sends it the signal; then ends its input. Returns the wait status.
int EncryptFileSignalled(const fs::path& target, int signal) {
  int input[2];
  if (::pipe2(input, O_CLOEXEC) != 0) return -1;
  const std::string cli = kCli;
  const std::string path = target.string();
  const pid_t pid = ::fork();
  if (pid == 0) {
    // A fresh start: every signal at its default and unblocked, whatever this test inherited.
    for (const int each : TerminatingSignals()) ::signal(each, SIG_DFL);
    sigset_t none;
    ::sigemptyset(&none);
    ::sigprocmask(SIG_SETMASK, &none, nullptr);
    const int null = ::open("/dev/null", O_WRONLY);
    if (::dup2(input[0], 0) < 0 || ::dup2(null, 1) < 0 || ::dup2(null, 2) < 0) ::_exit(126);
    char* const argv[] = {const_cast<char*>(cli.c_str()), const_cast<char*>("encrypt-file"),
                          const_cast<char*>("-"), const_cast<char*>(path.c_str()), nullptr};
    char* const env[] = {const_cast<char*>(kKey), nullptr};
    ::execve(argv[0], argv, env);
    ::_exit(127);
  }
  ::close(input[0]);
  const PipeSignalIgnored ignored;
  const int capacity = ::fcntl(input[1], F_GETPIPE_SZ);
  const std::string bytes(static_cast<std::size_t>(capacity), 'p');
  if (::write(input[1], bytes.data(), bytes.size()) == capacity) {
    pollfd taken{input[1], POLLOUT, 0};  // room again: it has read, or it has ended
    while (::poll(&taken, 1, -1) < 0 && errno == EINTR) {
    }
  }
  // Delivered before any further call of the program returns, so before it can see the end
  // of its input.
  ::kill(pid, signal);
  ::close(input[1]);
  int status = 0;
  while (::waitpid(pid, &status, 0) < 0 && errno == EINTR) {
  }
  return status;
}

TEST(CliSignal, EverySignalThatEndsTheToolLeavesTheTargetAndTheFolderAsTheyWere) {
  const ScratchFolder dir;
  // The tool's own result for a pipe's worth of input, for the signals it ignores.
  ASSERT_EQ(EncryptFileSignalled(dir / "expected", 0), 0);
  const std::string expected = ReadFile(dir / "expected");
  fs::remove(dir / "expected");
  // Ignored by the tool on purpose: a vanished reader and the file-size limit are errors.
  const std::set<int> ignoredByTheTool = {SIGPIPE, SIGXFSZ};

  enum class Target { kNew, kSingleLink, kHardLinked };
  for (const int signal : TerminatingSignals()) {
    for (const Target kind : {Target::kNew, Target::kSingleLink, Target::kHardLinked}) {
      SCOPED_TRACE(std::string(strsignal(signal)) + ", target " +
                   std::to_string(static_cast<int>(kind)));
      if (kind != Target::kNew) WriteFile(dir / "target", "former");
      if (kind == Target::kHardLinked) fs::create_hard_link(dir / "target", dir / "other-name");
      const std::set<std::string> before = dir.Names();

      const int status = EncryptFileSignalled(dir / "target", signal);
      if (ignoredByTheTool.count(signal) != 0) {
        EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << "status " << status;
        EXPECT_TRUE(ReadFile(dir / "target") == expected);
        if (kind == Target::kHardLinked) {
          EXPECT_TRUE(ReadFile(dir / "other-name") == expected);
        }
        std::set<std::string> after = before;
        after.insert("target");
        EXPECT_EQ(dir.Names(), after);
      } else {
        EXPECT_TRUE(WIFSIGNALED(status) && WTERMSIG(status) == signal) << "status " << status;
        if (kind != Target::kNew) {
          EXPECT_EQ(ReadFile(dir / "target"), "former");
        }
        EXPECT_EQ(dir.Names(), before);
      }
      fs::remove(dir / "target");
      fs::remove(dir / "other-name");
    }
  }
}

// Past the file-size limit (ulimit -f) a write fails with "File too large": a message and exit
// status 3 for a file and for standard output alike, and a file that was there stays as it was.
TEST(CliSignal, TheFileSizeLimitIsAnErrorForFilesAndStandardOutput) {
  const ScratchFolder dir;
  const std::string big = std::string(100'000, 'x');
  WriteFile(dir / "big", big);
  WriteFile(dir / "big.aes", RunProcess(CliRun({"encrypt-file", "-", "-"}, big)).out);
  WriteFile(dir / "target", "former");
  const std::string out = (dir / "out").string();
  const std::vector<std::vector<std::string>> commands = {
      {"encrypt-file", (dir / "big").string(), (dir / "target").string()},
      {"encrypt-file", (dir / "big").string(), "-"},
      {"decrypt-file", (dir / "big.aes").string(), "-"},
      {"utf8", big},
      {"encrypt", big}};
  for (const auto& command : commands) {
    const bool toFile = command.size() == 3 && command[2] != "-";
    SCOPED_TRACE(command[0] + (toFile ? " to a file" : " to standard output"));
    WriteFile(out, "");
    ProcessRun run = CliRun({});
    run.argv = {"/bin/bash", "-c", "ulimit -f 8 && exec \"$@\"", "bash", kCli};
    run.argv.insert(run.argv.end(), command.begin(), command.end());
    run.out = {OutputTarget::Kind::kFile, out};
    const ProcessResult r = RunProcess(run);
    EXPECT_EQ(r.status, 3);
    const std::string name = toFile ? command[2] : "standard output";
    EXPECT_NE(r.err.find("Disk full: \"" + name + "\" (File too large)"), std::string::npos)
        << r.err;
  }
  EXPECT_EQ(ReadFile(dir / "target"), "former");
  EXPECT_EQ(dir.Names(), (std::set<std::string>{"big", "big.aes", "out", "target"}));
}

}  // namespace
}  // namespace hostseal::testing
