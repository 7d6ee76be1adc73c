// The name the window shows as this machine's: set in a UTS namespace that a forked child makes
// for itself, so the machine's own name is never touched.
#include <gtest/gtest.h>
#include <sched.h>
#include <unistd.h>

#include <climits>
#include <string>

#include "hostseal/common/utf8.hpp"
#include "hostseal/hostinfo/local_host_name.hpp"
#include "tests/hostinfo/child_process.hpp"

namespace hostseal {
namespace {

TEST(LocalHostName, IsTheNameSetInTheKernel) {
  // A short name, one with UTF-8 bytes, and the longest the kernel takes.
  const std::string names[] = {"a",
                               "b\xC3\xBC"
                               "cher-host",
                               std::string(HOST_NAME_MAX, 'n')};
  const auto lines = test::RunInChild([&]() -> std::vector<std::string> {
    if (::unshare(CLONE_NEWUTS) != 0) return {"!unshare"};
    std::vector<std::string> read;
    for (const std::string& name : names) {
      if (::sethostname(name.data(), name.size()) != 0) return {"!sethostname"};
      read.push_back("=" + ToUtf8(GetLocalHostName()));
    }
    return read;
  });
  ASSERT_TRUE(lines.has_value());
  if (lines->size() == 1 && lines->front() == "!unshare") {
    GTEST_SKIP() << "needs root for a UTS namespace";
  }
  ASSERT_EQ(lines->size(), std::size(names));
  for (std::size_t i = 0; i < std::size(names); ++i) EXPECT_EQ((*lines)[i], "=" + names[i]);
}

}  // namespace
}  // namespace hostseal
