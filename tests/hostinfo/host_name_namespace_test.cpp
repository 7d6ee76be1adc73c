// DNS::GetHostIP against names the test controls: a forked child gets private mount and
// network namespaces, lays its own hosts file over /etc/hosts and lets the resolver read files
// only, so no query can reach the machine's configured name servers.
#include <gtest/gtest.h>
#include <sched.h>
#include <stdlib.h>
#include <sys/mount.h>

#include <filesystem>
#include <fstream>

#include "hostseal/common/utf8.hpp"
#include "hostseal/hostinfo/dns.hpp"
#include "tests/hostinfo/child_process.hpp"

namespace hostseal {
namespace {

namespace fs = std::filesystem;
using namespace std::string_literals;

// A directory of its own in the temporary directory, removed with everything in it.
class ScratchDirectory {
 public:
  ScratchDirectory() {
    std::string pattern = (fs::temp_directory_path() / "hostseal-hosts-XXXXXX").string();
    if (::mkdtemp(pattern.data()) != nullptr) m_Path = pattern;
  }
  ~ScratchDirectory() {
    std::error_code ignored;
    if (!m_Path.empty()) fs::remove_all(m_Path, ignored);
  }
  ScratchDirectory(const ScratchDirectory&) = delete;
  ScratchDirectory& operator=(const ScratchDirectory&) = delete;
  const fs::path& Path() const { return m_Path; }

 private:
  fs::path m_Path;
};

std::string Label(char letter, std::size_t length) {
  return std::string(length, letter);
}

// 253 characters, the longest a host name can be, and one more.
const std::string kLongestName =
    Label('a', 63) + "." + Label('b', 63) + "." + Label('c', 63) + "." + Label('d', 61);
const std::string kTooLongName = kLongestName + "e";

bool WriteFile(const fs::path& path, const std::string& text) {
  std::ofstream file(path, std::ios::binary);
  file << text;
  return static_cast<bool>(file);
}

bool BindOver(const fs::path& source, const char* target) {
  return ::mount(source.c_str(), target, nullptr, MS_BIND, nullptr) == 0;
}

class HostNames : public ::testing::Test {
 protected:
  void SetUp() override {
    if (!test::IsRoot()) GTEST_SKIP() << "needs root for private mount and network namespaces";
    ASSERT_FALSE(m_Scratch.Path().empty());
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
    ASSERT_TRUE(WriteFile(m_Scratch.Path() / "hosts", hosts));
    ASSERT_TRUE(WriteFile(m_Scratch.Path() / "nsswitch.conf", "hosts: files\n"));
    ASSERT_TRUE(WriteFile(m_Scratch.Path() / "resolv.conf", "nameserver 127.0.0.1\n"));
  }

  // GetHostIP of each name, inside the child's private namespaces.
  std::vector<std::string> Resolve(const std::vector<std::u16string>& names) {
    const auto lines = test::RunInChild([&]() -> std::vector<std::string> {
      if (::unshare(CLONE_NEWNS | CLONE_NEWNET) != 0) return {"!unshare"};
      if (::mount(nullptr, "/", nullptr, MS_REC | MS_PRIVATE, nullptr) != 0) return {"!private"};
      if (!BindOver(m_Scratch.Path() / "hosts", "/etc/hosts") ||
          !BindOver(m_Scratch.Path() / "nsswitch.conf", "/etc/nsswitch.conf") ||
          !BindOver(m_Scratch.Path() / "resolv.conf", "/etc/resolv.conf")) {
        return {"!bind"};
      }
      // A name-service cache daemon would answer from the machine's own configuration.
      for (const char* cache : {"/run/nscd", "/var/run/nscd"}) {
        if (fs::is_directory(cache) && ::mount("none", cache, "tmpfs", 0, nullptr) != 0) {
          return {"!nscd"};
        }
      }
      std::vector<std::string> results;
      for (const auto& name : names) results.push_back("=" + ToUtf8(DNS::GetHostIP(name)));
      return results;
    });
    return lines.value_or(std::vector<std::string>{"!child"});
  }

  ScratchDirectory m_Scratch;
};

TEST_F(HostNames, FirstIpv4AddressAsPlainDottedDecimal) {
  EXPECT_EQ(
      Resolve({u"five.hostseal.test", u"multi.hostseal.test", u"mixed.hostseal.test",
               u"alias.hostseal.test", u"localhost", u"b\u00FCcher.hostseal.test", u"10.0.0.5"}),
      (std::vector<std::string>{"=10.0.0.5", "=10.20.30.41", "=10.7.0.1", "=10.1.2.3", "=127.0.0.1",
                                "=10.9.8.7", "=10.0.0.5"}));
}

TEST_F(HostNames, NamesThatDoNotResolveGiveEmptyText) {
  EXPECT_EQ(
      Resolve({u"unknown.hostseal.test", u"six.hostseal.test", u"", u"five.hostseal.test\0x"s}),
      (std::vector<std::string>{"=", "=", "=", "="}));
}

TEST_F(HostNames, NamesLongerThanAHostNameCanBeAreRefused) {
  EXPECT_EQ(Resolve({FromUtf8(kLongestName), FromUtf8(kTooLongName)}),
            (std::vector<std::string>{"=10.100.0.253", "="}));
}

}  // namespace
}  // namespace hostseal
