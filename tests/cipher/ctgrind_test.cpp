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
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

#include "hostseal/cipher/block_backend.hpp"
#include "tests/support/process_runner.hpp"

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

// Runs the harness on `path` under memcheck: its status, and in `out` everything it and
// memcheck print.
testing::ProcessResult RunUnderMemcheck(const std::string& valgrind, const char* path) {
  testing::ProcessRun run;
  run.argv = {valgrind,
              "--tool=memcheck",
              "--error-exitcode=" + std::to_string(kMemcheckErrors),
              "--num-callers=6",
              HOSTSEAL_CTGRIND_HARNESS,
              path};
  for (char** variable = environ; *variable != nullptr; ++variable) run.env.emplace_back(*variable);
  testing::ProcessResult result = testing::RunProcess(run);
  result.out += result.err;
  return result;
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
    const testing::ProcessResult run = RunUnderMemcheck(m_Valgrind, path);
    if (run.status == kPathNotOffered) {
      GTEST_SKIP() << "valgrind does not offer the " << path
                   << " instructions to the program it runs:\n"
                   << run.out;
    }
    EXPECT_EQ(run.status, 0) << run.out;
    EXPECT_FALSE(Contains(run.out, "uninitialised")) << run.out;
    EXPECT_TRUE(Contains(run.out, ": 0 wrong results")) << run.out;
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
  const testing::ProcessResult run = RunUnderMemcheck(m_Valgrind, "portable");
  EXPECT_EQ(run.status, kMemcheckErrors) << run.out;
  EXPECT_TRUE(Contains(run.out, "Use of uninitialised value")) << run.out;
  EXPECT_TRUE(Contains(run.out, "EncryptBlocks")) << run.out;
  EXPECT_TRUE(Contains(run.out, "DecryptBlocks")) << run.out;
  EXPECT_TRUE(Contains(run.out, ": 0 wrong results")) << run.out;
}

}  // namespace
}  // namespace hostseal
