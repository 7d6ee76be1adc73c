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
#include <string>
#include <thread>
#include <vector>

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

class CliProc : public ::testing::Test {
 protected:
  void SetUp() override {
    if (::geteuid() != 0) GTEST_SKIP() << "needs root to read /proc as another user (setpriv)";
    char pattern[] = "/tmp/hostseal-proc-XXXXXX";
    ASSERT_NE(::mkdtemp(pattern), nullptr);
    m_Dir = pattern;
    WriteFile(Path("plain"), "plain text");
    ASSERT_EQ(::chown(m_Dir.c_str(), kToolUser, kToolUser), 0);
    ASSERT_EQ(::chmod(m_Dir.c_str(), 0755), 0);
    ASSERT_EQ(::chmod(Path("plain").c_str(), 0644), 0);
  }
  void TearDown() override {
    if (!m_Dir.empty()) fs::remove_all(m_Dir);
  }
  std::string Path(const std::string& name) const { return (m_Dir / name).string(); }

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

  fs::path m_Dir;
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

  const std::string key = kKey;
  const std::string line = key + "\n";
  EXPECT_EQ(::write(fifo, line.data(), line.size()), static_cast<ssize_t>(line.size()));
  ::close(fifo);
  const ProcessResult r = tool.Finish();
  ExpectResult(r, 0, "", "");
  std::string keyBytes;
  for (std::size_t i = 0; i < key.size(); i += 2) {
    keyBytes += static_cast<char>(std::stoi(key.substr(i, 2), nullptr, 16));
  }
  EXPECT_EQ(ReadFile(Path("cipher")), ExpectedCipherFile(keyBytes, "plain text"));
}

TEST_F(CliProc, APassPhraseGivenOnTheCommandLineIsWipedFromIt) {
  // Standard error is a pipe filled to the brim: the note about the long pass phrase, written
  // once the tool has taken the key from its command line, blocks it there.
  int fds[2];
  ASSERT_EQ(::pipe2(fds, O_CLOEXEC), 0);
  ASSERT_GT(::fcntl(fds[1], F_SETPIPE_SZ, 4096), 0);
  ASSERT_EQ(::fcntl(fds[1], F_SETFL, O_NONBLOCK), 0);
  const std::string filler(4096, '.');
  std::size_t filled = 0;
  for (ssize_t n = 0; (n = ::write(fds[1], filler.data(), filler.size())) > 0;) {
    filled += static_cast<std::size_t>(n);
  }
  ProcessRun run = ToolRun({"encrypt-file", "--passphrase", kPhrase, Path("plain"), Path("cipher")},
                           {"NO_COLOR=1", "HOSTSEAL_CODEPAGE=65001"});
  run.err = {OutputTarget::Kind::kFile, "/proc/self/fd/" + std::to_string(fds[1])};
  RunningTool tool(run);

  // Wait until the tool is blocked in write(2, ...). The kernel reports the system call a
  // sleeping task is in; this loop only waits for that state, nothing is timed.
  const std::string syscallFile = "/proc/" + std::to_string(tool.Pid()) + "/syscall";
  const std::string blocked = std::to_string(SYS_write) + " 0x2 ";
  while (ReadFile(syscallFile).rfind(blocked, 0) != 0) ::sched_yield();
  ExpectNothingToSee(tool.Pid(), kPhrase);
  const std::string cmdline = ReadFile("/proc/" + std::to_string(tool.Pid()) + "/cmdline");
  EXPECT_NE(cmdline.find(std::string("--passphrase\0", 13)), std::string::npos);

  // Drain the pipe so that the tool can finish.
  ::close(fds[1]);
  std::string err;
  char buffer[4096];
  for (ssize_t n = 0; (n = ::read(fds[0], buffer, sizeof buffer)) > 0;) {
    err.append(buffer, static_cast<std::size_t>(n));
  }
  ::close(fds[0]);
  const ProcessResult r = tool.Finish();
  EXPECT_EQ(r.status, 0);
  EXPECT_EQ(err.substr(filled),
            "hostseal: note: only the first 16 bytes of the pass phrase are used\n");
  EXPECT_TRUE(fs::exists(Path("cipher")));
}

}  // namespace
}  // namespace hostseal::testing
