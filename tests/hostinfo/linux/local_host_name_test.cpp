// The name the window shows as this machine's: set in a UTS namespace that a forked child makes
// for itself, so the machine's own name is never touched.
#include <gtest/gtest.h>
#include <sched.h>
#include <unistd.h>

#include <climits>
#include <string>

#include "hostseal/common/utf8.hpp"
#include "hostseal/hostinfo/local_host_name.hpp"
#include "tests/support/linux/file_test_support.hpp"

namespace hostseal {
namespace {

TEST(LocalHostName, IsTheNameSetInTheKernel) {
  // A short name, one with UTF-8 bytes, and the longest the kernel takes.
  const std::string names[] = {"a",
                               "b\xC3\xBC"
                               "cher-host",
                               std::string(HOST_NAME_MAX, 'n')};
  const std::string read = testing::RunInChild([&]() -> std::string {
    if (::unshare(CLONE_NEWUTS) != 0) return "!unshare";
    std::string results;
    for (const std::string& name : names) {
      if (::sethostname(name.data(), name.size()) != 0) return "!sethostname";
      results += "=" + ToUtf8(GetLocalHostName()) + "\n";
    }
    return results;
  });
  if (read == "!unshare") GTEST_SKIP() << "needs root for a UTS namespace";
  EXPECT_EQ(read, "=" + names[0] + "\n=" + names[1] + "\n=" + names[2] + "\n");
}

}  // namespace
}  // namespace hostseal
