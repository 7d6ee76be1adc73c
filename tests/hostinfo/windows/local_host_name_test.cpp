#include <gtest/gtest.h>
#include <winsock2.h>

#include "hostseal/common/utf8.hpp"
#include "hostseal/hostinfo/local_host_name.hpp"

namespace hostseal {
namespace {

// Winsock's gethostname gives the same name in the ANSI code page; an ASCII name reads alike.
TEST(LocalHostName, IsWinsocksHostName) {
  WSADATA data{};
  ASSERT_EQ(::WSAStartup(MAKEWORD(2, 2), &data), 0);
  char name[256] = {};
  ASSERT_EQ(::gethostname(name, sizeof name - 1), 0);
  ::WSACleanup();
  EXPECT_FALSE(GetLocalHostName().empty());
  EXPECT_EQ(GetLocalHostName(), FromUtf8(name));
}

}  // namespace
}  // namespace hostseal
