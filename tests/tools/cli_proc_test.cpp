// What other processes can learn about a running hostseal from /proc. The tool runs as uid
// 65534 and is held at a point where it has taken its key (blocked reading a FIFO key file, or
// writing to a full standard error); a second user (uid 65533) reads its /proc/PID/cmdline,
// and another process of its own user tries /proc/PID/environ. Needs root to change users.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <sched.h>
#include <sys/stat.h>
#include <sys/syscall.h>
#include <unistd.h>

#include <filesystem>
#include <future>
#include <optional>
#include <stdexcept>
#include <string>
#include <thread>
#include <utility>
#include <vector>

#include "tests/support/folder_test.hpp"
#include "tests/tools/cli_test_support.hpp"

namespace hostseal::testing {
namespace {

namespace fs = std::filesystem;

constexpr char kKey[] = "00112233445566778899aabbccddeeff";
constexpr char kPhrase[] = "a pass phrase that nobody else may read";

constexpr int kToolUser = 65534;
constexpr int kOtherUser = 65533;

std::vector<std::string> AsUser(int uid, std::vector<std::string> argv) {
  const std::string id = std::to_string(uid);
  argv.insert(argv.begin(),
              {"/usr/bin/setpriv", "--reuid=" + id, "--regid=" + id, "--clear-groups"});
  return argv;
}

// A file read as the user (and the same group, no others): its content, or why not.
ProcessResult ReadAs(int uid, const std::string& path) {
  return RunProcess({AsUser(uid, {"/bin/cat", path}), {"PATH=/usr/bin:/bin"}, {}, {}, {}});
}

// The tool running on a thread of its own; Pid() waits until it has started.
class RunningTool {
 public:
  explicit RunningTool(ProcessRun run) {
    RunControl control;
    control.started = [this](int pid) { m_Pid.set_value(pid); };
    m_Thread =
        std::thread([this, run = std::move(run), control] { m_Result = RunProcess(run, control); });
    m_PidValue = m_Pid.get_future().get();
  }
  ~RunningTool() {
    if (m_Thread.joinable()) m_Thread.join();
  }
  RunningTool(const RunningTool&) = delete;
  RunningTool& operator=(const RunningTool&) = delete;
  int Pid() const { return m_PidValue; }
  ProcessResult Finish() {
    m_Thread.join();
    return m_Result;
  }

 private:
  std::promise<int> m_Pid;
  int m_PidValue = 0;
  std::thread m_Thread;
  ProcessResult m_Result;
};

class CliProc : public FolderTest {
 protected:
  void SetUp() override {
    if (::geteuid() != 0) GTEST_SKIP() << "needs root to read /proc as another user (setpriv)";
    WriteFile(Path("plain"), "plain text");
    ASSERT_EQ(::chown(m_Dir.Path().c_str(), kToolUser, kToolUser), 0);
    ASSERT_EQ(::chmod(m_Dir.Path().c_str(), 0755), 0);
    ASSERT_EQ(::chmod(Path("plain").c_str(), 0644), 0);
  }

  // The tool as kToolUser.
  static ProcessRun ToolRun(std::vector<std::string> args, std::vector<std::string> env) {
    ProcessRun run = CliRun(std::move(args), {}, std::move(env));
    run.argv = AsUser(kToolUser, run.argv);
    return run;
  }

  // What others see of the tool: its command line must not hold the secret, its environment
  // must not be readable at all, not even by processes of its own user: a tool that holds a
  // key is not dumpable, which hands its /proc files to root.
  static void ExpectNothingToSee(int pid, const std::string& secret) {
    const std::string proc = "/proc/" + std::to_string(pid);
    const ProcessResult cmdline = ReadAs(kOtherUser, proc + "/cmdline");
    EXPECT_EQ(cmdline.status, 0) << cmdline.err;
    EXPECT_NE(cmdline.out.find("hostseal"), std::string::npos) << cmdline.out;
    EXPECT_EQ(cmdline.out.find(secret), std::string::npos) << cmdline.out;
    for (const int uid : {kOtherUser, kToolUser}) {
      const ProcessResult environ = ReadAs(uid, proc + "/environ");
      EXPECT_NE(environ.status, 0);
      EXPECT_EQ(environ.out, "");
      EXPECT_NE(environ.err.find("Permission denied"), std::string::npos) << environ.err;
    }
    struct stat status {};
    ASSERT_EQ(::stat((proc + "/environ").c_str(), &status), 0);
    EXPECT_EQ(status.st_uid, 0u);
  }
};

TEST_F(CliProc, AKeyFromAFifoOrTheEnvironmentIsNotShown) {
  ASSERT_EQ(::mkfifo(Path("key").c_str(), 0600), 0);
  ASSERT_EQ(::chown(Path("key").c_str(), kToolUser, kToolUser), 0);
  RunningTool tool(
      ToolRun({"encrypt-file", "--key-file", Path("key"), Path("plain"), Path("cipher")},
              {"HOSTSEAL_CODEPAGE=65001", std::string("HOSTSEAL_PASSPHRASE=") + kPhrase}));
  // Opening the FIFO for writing returns once the tool has opened it to read the key.
  const int fifo = ::open(Path("key").c_str(), O_WRONLY | O_CLOEXEC);
  ASSERT_GE(fifo, 0);
  ExpectNothingToSee(tool.Pid(), kKey);
  // The variable the option overrode is wiped even in the tool's own memory.
  const std::string environ = ReadFile("/proc/" + std::to_string(tool.Pid()) + "/environ");
  EXPECT_EQ(environ.find(kPhrase), std::string::npos);
  EXPECT_NE(environ.find("HOSTSEAL_CODEPAGE=65001"), std::string::npos);

  const std::string line = std::string(kKey) + "\n";
  EXPECT_EQ(::write(fifo, line.data(), line.size()), static_cast<ssize_t>(line.size()));
  ::close(fifo);
  const ProcessResult r = tool.Finish();
  ExpectResult(r, 0, "", "");
  EXPECT_EQ(ReadFile(Path("cipher")), ExpectedCipherFile(Unhex(kKey), "plain text"));
}

// The tool held in its first write to standard output or error (fd), a pipe filled to the
// brim, until Finish drains the pipe; what it wrote comes after the filler.
class BlockedTool {
 public:
  BlockedTool(ProcessRun run, int fd) {
    int fds[2];
    if (::pipe2(fds, O_CLOEXEC) != 0) throw std::runtime_error("pipe2");
    m_Read = fds[0];
    m_Write = fds[1];
    ::fcntl(m_Write, F_SETPIPE_SZ, 4096);
    ::fcntl(m_Write, F_SETFL, O_NONBLOCK);
    const std::string filler(4096, '.');
    for (ssize_t n = 0; (n = ::write(m_Write, filler.data(), filler.size())) > 0;) {
      m_Filled += static_cast<std::size_t>(n);
    }
    OutputTarget& target = fd == 1 ? run.out : run.err;
    target.kind = OutputTarget::Kind::kFile;
    target.path = "/proc/self/fd/" + std::to_string(m_Write);
    m_Tool.emplace(std::move(run));
    // The kernel reports the system call a sleeping task is in; this loop only waits for that
    // state, nothing is timed.
    const std::string syscallFile = "/proc/" + std::to_string(m_Tool->Pid()) + "/syscall";
    const std::string blocked = std::to_string(SYS_write) + " 0x" + std::to_string(fd) + " ";
    while (ReadFile(syscallFile).rfind(blocked, 0) != 0) ::sched_yield();
  }
  int Pid() const { return m_Tool->Pid(); }
  // The exit status and what the tool wrote to the blocked stream.
  std::pair<ProcessResult, std::string> Finish() {
    ::close(m_Write);
    std::string text;
    char buffer[4096];
    for (ssize_t n = 0; (n = ::read(m_Read, buffer, sizeof buffer)) > 0;) {
      text.append(buffer, static_cast<std::size_t>(n));
    }
    ::close(m_Read);
    return {m_Tool->Finish(), text.substr(m_Filled)};
  }

 private:
  int m_Read = -1, m_Write = -1;
  std::size_t m_Filled = 0;
  std::optional<RunningTool> m_Tool;
};

TEST_F(CliProc, TheCommandLineShowsNoLengthOfAValue) {
  // Values of every length, in both forms, the tool held at its first write of cipher bytes:
  // what another user reads is the same for all values of an option, and holds none of them.
  const std::vector<std::pair<std::string, std::vector<std::string>>> options = {
      {"--key", {kKey, std::string(64, 'f'), std::string(48, '0')}},
      // One character that no path of the test's random folder holds.
      {"--passphrase", {"", "%", kPhrase, std::string(300, 'p')}}};
  for (const auto& [option, values] : options) {
    for (const bool joined : {false, true}) {
      std::vector<std::string> seen;
      for (const std::string& value : values) {
        if (joined && value.empty()) continue;  // "--passphrase=" takes the next argument
        SCOPED_TRACE(option + (joined ? "=" : " ") + value);
        std::vector<std::string> args = {"encrypt-file", Path("plain"), "-"};
        if (joined) {
          args.push_back(option + "=" + value);
        } else {
          args.insert(args.end(), {option, value});
        }
        BlockedTool tool(ToolRun(args, {"NO_COLOR=1", "HOSTSEAL_CODEPAGE=65001"}), 1);
        const ProcessResult cmdline =
            ReadAs(kOtherUser, "/proc/" + std::to_string(tool.Pid()) + "/cmdline");
        if (!value.empty()) ExpectNothingToSee(tool.Pid(), value);
        EXPECT_NE(cmdline.out.find(option), std::string::npos) << cmdline.out;
        seen.push_back(cmdline.out);
        EXPECT_EQ(tool.Finish().first.status, 0);
      }
      for (const std::string& shown : seen) EXPECT_EQ(shown, seen.front());
    }
  }
}

TEST_F(CliProc, EveryEntryOfTheSecretVariablesLeavesTheEnvironmentWhateverTheCommand) {
  // Two entries of HOSTSEAL_KEY (the first keys the file) and a pass phrase, seen by root in
  // /proc/PID/environ while the tool is held at its first output.
  const std::string second = "ffeeddccbbaa99887766554433221100";
  const std::vector<std::string> keys = {std::string("HOSTSEAL_KEY=") + kKey,
                                         "HOSTSEAL_KEY=" + second};
  std::vector<std::string> all = keys;
  all.push_back(std::string("HOSTSEAL_PASSPHRASE=") + kPhrase);
  struct Case {
    std::vector<std::string> args;
    int fd;  // where the tool is held
    std::vector<std::string> env;
  };
  for (const Case& c : std::vector<Case>{
           {{"--help"}, 1, all},
           {{"cpu"}, 1, all},
           {{"utf8", "a"}, 1, all},
           {{"frobnicate"}, 2, all},
           {{"encrypt-file", Path("plain"), "-", "--key-file", Path("plain")}, 2, all},
           {{"encrypt-file", Path("plain"), "-"}, 1, keys}}) {
    SCOPED_TRACE(c.args.front());
    BlockedTool tool(CliRun(c.args, {}, c.env), c.fd);
    const std::string environ = ReadFile("/proc/" + std::to_string(tool.Pid()) + "/environ");
    for (const std::string& secret : {std::string(kKey), second, std::string(kPhrase)}) {
      EXPECT_EQ(environ.find(secret.substr(0, 8)), std::string::npos) << environ;
    }
    EXPECT_NE(environ.find("LC_ALL=C.UTF-8"), std::string::npos);
    const auto [r, out] = tool.Finish();
    if (c.env == keys) {
      EXPECT_EQ(out, ExpectedCipherFile(Unhex(kKey), "plain text"));
    }
  }
}

}  // namespace
}  // namespace hostseal::testing
