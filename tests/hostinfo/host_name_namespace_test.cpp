// DNS::GetHostIP against names the test controls: a forked child gets private mount and
// network namespaces, lays its own hosts file over /etc/hosts and lets the resolver read files
// only, so no query can reach the machine's configured name servers.
#include <gtest/gtest.h>
#include <sched.h>
#include <sys/mount.h>

#include <filesystem>
#include <fstream>

#include "hostseal/common/utf8.hpp"
#include "hostseal/hostinfo/dns.hpp"
#include "tests/support/linux/file_test_support.hpp"

namespace hostseal {
namespace {

namespace fs = std::filesystem;
using namespace std::string_literals;

std::string Label(char letter, std::size_t length) {
  return std::string(length, letter);
}

// 253 characters, the longest a host name can be, and one more.
const std::string kLongestName =
    Label('a', 63) + "." + Label('b', 63) + "." + Label('c', 63) + "." + Label('d', 61);
const std::string kTooLongName = kLongestName + "e";

// Lays a file with the text over the path, in this mount namespace only.
bool LayOver(const char* path, const std::string& text) {
  const fs::path copy = fs::path("/tmp") / fs::path(path).filename();
  std::ofstream(copy, std::ios::binary) << text;
  return fs::exists(copy) && ::mount(copy.c_str(), path, nullptr, MS_BIND, nullptr) == 0;
}

class HostNames : public ::testing::Test {
 protected:
  void SetUp() override {
    if (::geteuid() != 0) GTEST_SKIP() << "needs root for private mount and network namespaces";
  }

  // GetHostIP of each name, inside the child's private namespaces. The child's own files live
  // on a tmpfs over /tmp that only its mount namespace sees, and go away with it.
  // Each result is "=" and the address, on a line of its own.
  static std::string Resolve(const std::vector<std::u16string>& names) {
    return testing::RunInChild([&]() -> std::string {
      if (::unshare(CLONE_NEWNS | CLONE_NEWNET) != 0) return "!unshare";
      if (::mount(nullptr, "/", nullptr, MS_REC | MS_PRIVATE, nullptr) != 0) return "!private";
      if (::mount("none", "/tmp", "tmpfs", 0, nullptr) != 0) return "!tmpfs";
      const std::string hosts =
          "127.0.0.1 localhost\n"
          "10.0.0.5 five.hostseal.test\n"
          "10.20.30.41 multi.hostseal.test\n"
          "10.20.30.40 multi.hostseal.test\n"
          "192.168.100.7 multi.hostseal.test\n"
          "fd00::6 six.hostseal.test\n"
          "fd00::7 mixed.hostseal.test\n"
          "10.7.0.1 mixed.hostseal.test\n"
          "10.9.8.7 b\xC3\xBC"
          "cher.hostseal.test\n"
          "10.1.2.3 primary.hostseal.test alias.hostseal.test\n"
          "10.100.0.253 " +
          kLongestName + "\n10.100.0.254 " + kTooLongName + "\n";
      if (!LayOver("/etc/hosts", hosts) || !LayOver("/etc/nsswitch.conf", "hosts: files\n") ||
          !LayOver("/etc/resolv.conf", "nameserver 127.0.0.1\n")) {
        return "!bind";
      }
      // A name-service cache daemon would answer from the machine's own configuration.
      for (const char* cache : {"/run/nscd", "/var/run/nscd"}) {
        if (fs::is_directory(cache) && ::mount("none", cache, "tmpfs", 0, nullptr) != 0) {
          return "!nscd";
        }
      }
      std::string results;
      for (const auto& name : names) results += "=" + ToUtf8(DNS::GetHostIP(name)) + "\n";
      return results;
    });
  }
};

TEST_F(HostNames, FirstIpv4AddressAsPlainDottedDecimal) {
  EXPECT_EQ(
      Resolve({u"five.hostseal.test", u"multi.hostseal.test", u"mixed.hostseal.test",
               u"alias.hostseal.test", u"localhost", u"b\u00FCcher.hostseal.test", u"10.0.0.5"}),
      "=10.0.0.5\n=10.20.30.41\n=10.7.0.1\n=10.1.2.3\n=127.0.0.1\n=10.9.8.7\n=10.0.0.5\n");
}

TEST_F(HostNames, NamesThatDoNotResolveGiveEmptyText) {
  EXPECT_EQ(
      Resolve({u"unknown.hostseal.test", u"six.hostseal.test", u"", u"five.hostseal.test\0x"s}),
      "=\n=\n=\n=\n");
}

TEST_F(HostNames, NamesLongerThanAHostNameCanBeAreRefused) {
  EXPECT_EQ(Resolve({FromUtf8(kLongestName), FromUtf8(kTooLongName)}), "=10.100.0.253\n=\n");
}

}  // namespace
}  // namespace hostseal
