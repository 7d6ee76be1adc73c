// The host-identity operation shared by `hostseal identity` and the window: this host's name,
// the first IPv4 address of that name, the MAC behind it, the processor identifiers and the
// identity encrypted as hexadecimal text, each reported as a status line.
//
// When the name resolves to a loopback address (127.0.0.0/8), the address and MAC of the
// interface that carries the default route are reported as well, and they stand for the
// machine in the encrypted identity, since a loopback address identifies nothing.
#pragma once

#include <functional>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "hostseal/cipher/rijndael.hpp"
#include "hostseal/hostinfo/cpu.hpp"
#include "hostseal/hostinfo/default_route.hpp"
#include "hostseal/hostinfo/dns.hpp"
#include "hostseal/hostinfo/local_host_name.hpp"
#include "hostseal/hostinfo/mac.hpp"
#include "hostseal/log/rich_text_box.hpp"

namespace hostseal {

// The queries the operation makes; the defaults ask this machine. Tests replace them.
struct HostQueries {
  std::function<std::u16string()> hostName = GetLocalHostName;
  std::function<std::u16string(const std::u16string&)> hostIP = [](const std::u16string& name) {
    return DNS::GetHostIP(name);
  };
  std::function<bool(std::u16string, std::u16string&)> macAddress =
      [](std::u16string ip, std::u16string& mac) { return MAC::GetMacAddress(std::move(ip), mac); };
  std::function<std::u16string()> cpu = [] { return GetCpu(); };
  std::function<std::optional<InterfaceIdentity>()> defaultRoute = GetDefaultRouteInterface;
};

// The one-line text that is encrypted: name, address, MAC and processor identifiers, each
// field after its label ("host=NAME ip=ADDRESS mac=MAC cpu=IDS").
std::u16string ComposeIdentityLine(const std::u16string& name, const std::u16string& address,
                                   const std::u16string& mac, const std::u16string& cpu);

// One item of the identity: its key for machines ("host_name"), its head in the status log
// ("Host name: "), and either its value or why it is missing.
struct IdentityItem {
  std::string key;
  std::u16string head;
  bool ok = false;
  std::u16string value;  // the answer itself ("eth0"), when ok
  std::u16string shown;  // the text of its status line: the answer, or why it is missing
};

// Every query and the encrypted identity, in the order of the status lines.
std::vector<IdentityItem> GatherHostIdentity(cRijndael& cipher, const HostQueries& queries);

// Reports through AddStatusLine on the box; true when every query succeeded. A RaisedError of
// the encryption becomes a red line; errors of the box reach the caller.
bool ReportHostIdentity(RichTextBox& StatusTxt, cRijndael& cipher);
bool ReportHostIdentity(RichTextBox& StatusTxt, cRijndael& cipher, const HostQueries& queries);

// The window's identity button: ReportHostIdentity, and anything else that a query raises as
// a red "Host identity: " line.
void IdentityOperation(RichTextBox& StatusTxt, cRijndael& cipher, const HostQueries& queries);

}  // namespace hostseal
