// Constant-time check of the hardware block paths: ctgrind_harness.cpp runs under valgrind's
// memcheck with the round keys and the data marked undefined, so that memcheck reports every
// branch and every memory index that depends on them. The hardware paths must come out clean;
// the table path must not, which shows that the check finds what it looks for.
//
// What this does not cover: the key schedule and the table path index tables by secret bytes
// and are open to cache-timing attacks (the table path runs only where the processor has no
// AES instructions). Valgrind 3.19 cannot decode the VAES instructions and hides the feature
// from the program, so the vaes path is skipped there; its runs of fewer than eight blocks and
// its single-block tails are the AES-NI code checked here.
#include <gtest/gtest.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <fcntl.h>

#include <cerrno>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

#include "hostseal/cipher/block_backend.hpp"

extern char** environ;

namespace hostseal {
namespace {

constexpr int kMemcheckErrors = 99;  // --error-exitcode: memcheck reported at least one error
constexpr int kPathNotOffered = 77;  // the harness's status for a path it cannot select

std::string FindValgrind() {
  const char* path = std::getenv("PATH");
  if (path == nullptr) return {};
  std::string_view rest = path;
  while (!rest.empty()) {
    const std::size_t colon = rest.find(':');
    const std::string_view folder = rest.substr(0, colon);
    const std::filesystem::path candidate = std::filesystem::path(folder) / "valgrind";
    if (!folder.empty() && ::access(candidate.c_str(), X_OK) == 0) return candidate.string();
    rest = colon == std::string_view::npos ? std::string_view{} : rest.substr(colon + 1);
  }
  return {};
}

struct MemcheckRun {
  int status = -1;  // exit status, or -1 when the process did not exit normally
  std::string output;
};

// Runs the harness on `path` under memcheck and collects everything it and memcheck print.
MemcheckRun RunUnderMemcheck(const std::string& valgrind, const char* path) {
  MemcheckRun run;
  int fds[2];
  if (::pipe2(fds, O_CLOEXEC) != 0) return run;
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_adddup2(&actions, fds[1], STDOUT_FILENO);
  posix_spawn_file_actions_adddup2(&actions, fds[1], STDERR_FILENO);
  std::vector<std::string> args = {valgrind,
                                   "--tool=memcheck",
                                   "--error-exitcode=" + std::to_string(kMemcheckErrors),
                                   "--num-callers=6",
                                   HOSTSEAL_CTGRIND_HARNESS,
                                   path};
  std::vector<char*> argv;
  for (std::string& a : args) argv.push_back(a.data());
  argv.push_back(nullptr);
  pid_t pid = 0;
  const int spawned =
      ::posix_spawn(&pid, valgrind.c_str(), &actions, nullptr, argv.data(), environ);
  posix_spawn_file_actions_destroy(&actions);
  ::close(fds[1]);
  if (spawned != 0) {
    ::close(fds[0]);
    run.output = "cannot start valgrind";
    return run;
  }
  char chunk[4096];
  for (;;) {
    const ssize_t got = ::read(fds[0], chunk, sizeof chunk);
    if (got < 0 && errno == EINTR) continue;
    if (got <= 0) break;
    run.output.append(chunk, static_cast<std::size_t>(got));
  }
  ::close(fds[0]);
  int status = 0;
  while (::waitpid(pid, &status, 0) < 0 && errno == EINTR) {
  }
  if (WIFEXITED(status)) run.status = WEXITSTATUS(status);
  return run;
}

bool Contains(const std::string& text, std::string_view part) {
  return text.find(part) != std::string::npos;
}

class ConstantTime : public ::testing::Test {
 protected:
  void SetUp() override {
    if (std::string_view(HOSTSEAL_CTGRIND_HARNESS).empty()) {
      GTEST_SKIP() << "built without valgrind/memcheck.h (Debian package valgrind)";
    }
    m_Valgrind = FindValgrind();
    if (m_Valgrind.empty()) GTEST_SKIP() << "valgrind is not installed (Debian package valgrind)";
  }

  // The hardware path `path` under memcheck: right results and not one report.
  void ExpectClean(const char* path) {
    if (!cipher_backend::Select(path)) {
      GTEST_SKIP() << "this processor has no " << path << " instructions";
    }
    const MemcheckRun run = RunUnderMemcheck(m_Valgrind, path);
    if (run.status == kPathNotOffered) {
      GTEST_SKIP() << "valgrind does not offer the " << path
                   << " instructions to the program it runs:\n"
                   << run.output;
    }
    EXPECT_EQ(run.status, 0) << run.output;
    EXPECT_FALSE(Contains(run.output, "uninitialised")) << run.output;
    EXPECT_TRUE(Contains(run.output, ": 0 wrong results")) << run.output;
  }

  std::string m_Valgrind;
};

TEST_F(ConstantTime, AesNiPathHasNoSecretDependentBranchOrIndex) {
  ExpectClean("aes-ni");
}

TEST_F(ConstantTime, VaesPathHasNoSecretDependentBranchOrIndex) {
  ExpectClean("vaes");
}

// The positive control: table lookups indexed by state bytes are reported.
TEST_F(ConstantTime, TablePathIsReported) {
  const MemcheckRun run = RunUnderMemcheck(m_Valgrind, "portable");
  EXPECT_EQ(run.status, kMemcheckErrors) << run.output;
  EXPECT_TRUE(Contains(run.output, "Use of uninitialised value")) << run.output;
  EXPECT_TRUE(Contains(run.output, "EncryptBlocks")) << run.output;
  EXPECT_TRUE(Contains(run.output, "DecryptBlocks")) << run.output;
  EXPECT_TRUE(Contains(run.output, ": 0 wrong results")) << run.output;
}

}  // namespace
}  // namespace hostseal
