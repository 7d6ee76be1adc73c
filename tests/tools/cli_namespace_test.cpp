// host-ip, mac and identity of the built tool inside namespaces that the test creates: a
// private mount namespace with its own /etc/hosts and "hosts: files", so that no name query
// leaves the machine, and a private network namespace with a veth pair and a permanent
// neighbour entry. Needs root.
#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "tests/support/folder_test.hpp"
#include "tests/tools/cli_test_support.hpp"

namespace hostseal::testing {
namespace {

namespace fs = std::filesystem;

// Prepares the namespaces, then runs the tool with the arguments given after the script.
// A failed preparation exits with 99.
constexpr char kSetup[] = R"(
dir=$1; shift
{ mount --bind "$dir/hosts" /etc/hosts &&
  mount --bind "$dir/nsswitch.conf" /etc/nsswitch.conf &&
  mount --bind "$dir/resolv.conf" /etc/resolv.conf &&
  hostname hostseal-test &&
  ip link set lo up &&
  ip link add hs0 type veth peer name hs1 &&
  ip addr add 10.9.0.1/24 dev hs0 &&
  ip link set hs0 up &&
  ip link set hs1 up &&
  ip route add default via 10.9.0.2 dev hs0 &&
  ip neigh add 10.9.0.2 lladdr 00:0c:29:0a:0b:01 dev hs0 nud permanent; } >/dev/null 2>&1 || exit 99
exec "$@"
)";

class CliNamespace : public FolderTest {
 protected:
  void SetUp() override {
    if (::geteuid() != 0) GTEST_SKIP() << "needs root to create mount and network namespaces";
    WriteFile(Path("hosts"),
              "127.0.0.1 localhost\n10.9.0.1 hostseal-test\n10.1.2.3 alpha.invalid\n");
    WriteFile(Path("nsswitch.conf"), "hosts: files\n");
    WriteFile(Path("resolv.conf"), "nameserver 127.0.0.1\n");
    const ProcessResult probe = InNamespaces(ProcessRun{{"/bin/true"}, {}, {}, {}, {}});
    if (probe.status != 0) GTEST_SKIP() << "cannot create namespaces: " << probe.err;
  }

  ProcessResult InNamespaces(ProcessRun run) const {
    std::vector<std::string> argv = {
        "/usr/bin/unshare",   "--mount", "--net", "--uts", "/bin/sh", "-c", kSetup, "sh",
        m_Dir.Path().string()};
    argv.insert(argv.end(), run.argv.begin(), run.argv.end());
    run.argv = argv;
    run.env.push_back("PATH=/usr/sbin:/usr/bin:/sbin:/bin");
    return RunProcess(run);
  }

  // What jq, a JSON parser of its own, prints for the filter (raw strings); empty if it
  // cannot read the text.
  std::string Jq(const std::string& json, const std::string& filter) const {
    const std::string file = Path("identity.json");
    {
      std::ofstream out(file);
      out << json;
    }
    FILE* pipe = ::popen(("jq -r '" + filter + "' " + file).c_str(), "r");
    if (pipe == nullptr) return "";
    std::string answer;
    char buffer[512];
    for (std::size_t n; (n = std::fread(buffer, 1, sizeof buffer, pipe)) > 0;) {
      answer.append(buffer, n);
    }
    return ::pclose(pipe) == 0 ? answer : "";
  }
};

// host-ip from the namespace's hosts file, mac of its permanent neighbour, and the messages when
// there is none (which names give which address: host_name_namespace_test).
TEST_F(CliNamespace, HostIpAndMacFromTheNamespaces) {
  struct Case {
    std::vector<std::string> args;
    int status;
    std::string out, err;
  };
  for (const Case& c : std::vector<Case>{
           {{"host-ip", "alpha.invalid"}, 0, "10.1.2.3\n", ""},
           {{"host-ip", "nowhere.invalid"}, 1, "", "no IPv4 address found for nowhere.invalid"},
           {{"mac", "10.9.0.2"}, 0, "00-C-29-A-B-1\n", ""},
           {{"mac", "0.0.0.0"}, 1, "", "no MAC address found for 0.0.0.0"}}) {
    SCOPED_TRACE(c.args[1]);
    ExpectResult(InNamespaces(CliRun(c.args)), c.status, c.out,
                 c.err.empty() ? "" : "hostseal: " + c.err + "\n");
  }
}

TEST_F(CliNamespace, IdentityColoursOnlyOnATerminalFailsOnlyWithRedLinesAndHasJson) {
  ProcessRun run = CliRun({"identity"}, {}, {"HOSTSEAL_CODEPAGE=65001"});
  run.out.kind = OutputTarget::Kind::kTerminal;
  const ProcessResult coloured = InNamespaces(run);
  ASSERT_NE(coloured.status, 99) << "namespace setup failed";
  EXPECT_TRUE(coloured.status == 0 || coloured.status == 1) << coloured.status;
  EXPECT_NE(coloured.out.find("\x1b["), std::string::npos) << coloured.out;
  EXPECT_EQ(coloured.status == 1, coloured.out.find("\x1b[31m") != std::string::npos)
      << coloured.out;

  for (const std::string setting : {"NO_COLOR=1", "TERM=dumb"}) {
    ProcessRun uncoloured = run;
    uncoloured.env.push_back(setting);
    const ProcessResult plain = InNamespaces(uncoloured);
    EXPECT_EQ(plain.status, coloured.status);
    EXPECT_FALSE(plain.out.empty());
    EXPECT_EQ(plain.out.find('\x1b'), std::string::npos) << plain.out;
    EXPECT_EQ(plain.status == 1, plain.out.find("[failed] ") != std::string::npos) << plain.out;
  }

  run = CliRun({"identity"}, {}, {"HOSTSEAL_CODEPAGE=65001"});  // a pipe, NO_COLOR unset
  const ProcessResult piped = InNamespaces(run);
  EXPECT_EQ(piped.status, coloured.status);
  EXPECT_EQ(piped.out.find('\x1b'), std::string::npos) << piped.out;
  EXPECT_EQ(piped.out.find('\r'), std::string::npos) << piped.out;

  // identity --json read by jq, a JSON parser of its own: one object with every item of the
  // status lines, in their order, each "ok" with its value or error, and "complete".
  const ProcessResult json =
      InNamespaces(CliRun({"identity", "--json"}, {}, {"HOSTSEAL_CODEPAGE=65001"}));
  EXPECT_EQ(json.status, piped.status);
  const std::string answer =
      Jq(json.out,
         "(keys_unsorted | join(\",\")), (.complete | tostring), "
         "([to_entries[] | select(.key != \"complete\") | (.value.ok | type)] | unique | "
         "join(\",\")), .host_name.value");
  const std::string name = piped.out.substr(11, piped.out.find('\n') - 11);  // "Host name: "
  const bool loopback = piped.out.find("Default route") != std::string::npos;
  const std::string keys =
      loopback ? "host_name,ip_address,default_route,interface_address,mac_address,cpu,"
                 "encrypted_identity,complete"
               : "host_name,ip_address,mac_address,cpu,encrypted_identity,complete";
  EXPECT_EQ(answer,
            keys + "\n" + (piped.status == 0 ? "true" : "false") + "\nboolean\n" + name + "\n");
}

TEST_F(CliNamespace, IdentityShowsTheControlCharactersOfAHostNameAsCodes) {
  // A host name that would set the terminal's title and ring its bell, with DEL and the C1
  // control NEL, which does not resolve: on a terminal, none of it raw in any line (plain
  // lines are the same text), and JSON, which jq reads back as the name itself.
  const std::string name = "evil\x1b]0;owned\x07\x7f\xc2\x85";
  const std::string shown = "evilU+001B]0;ownedU+0007U+007FU+0085";
  for (const auto& [form, expected] : std::vector<std::pair<std::string, std::string>>{
           {"terminal", shown}, {"--json", "\"evil\\u001b]0;owned\\u0007\\u007f\\u0085\""}}) {
    SCOPED_TRACE(form);
    ProcessRun run = CliRun({}, {}, {"HOSTSEAL_CODEPAGE=65001"});
    run.argv = {"/usr/bin/python3",
                "-c",
                "import os, socket, sys; socket.sethostname(sys.argv[1].encode('utf-8', "
                "'surrogateescape')); os.execv(sys.argv[2], sys.argv[2:])",
                name,
                kCli,
                "identity"};
    if (form == "--json") run.argv.push_back(form);
    if (form == "terminal") run.out.kind = OutputTarget::Kind::kTerminal;
    const std::string out = InNamespaces(run).out;
    EXPECT_NE(out.find(expected), std::string::npos) << out;
    for (const std::string raw : {"\x07", "\x1b]", "\x7f", "\xc2\x85"}) {
      EXPECT_EQ(out.find(raw), std::string::npos) << out;
    }
    if (form == "--json") {
      EXPECT_EQ(Jq(out, ".host_name.value"), name + "\n");
    }
  }
}

}  // namespace
}  // namespace hostseal::testing
