#include <gtest/gtest.h>
#include <sys/utsname.h>

#include "hostseal/common/utf8.hpp"
#include "hostseal/ui/identity_operation.hpp"

namespace hostseal {
namespace {

TEST(LocalHostName, IsTheKernelsNodeName) {
  utsname names{};
  ASSERT_EQ(uname(&names), 0);
  EXPECT_EQ(GetLocalHostName(), FromUtf8(names.nodename));
}

}  // namespace
}  // namespace hostseal
