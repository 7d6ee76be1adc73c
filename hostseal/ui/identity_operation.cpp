// ReportHostIdentity: asks the host queries in turn and logs each answer as a status line.
#include "hostseal/ui/identity_operation.hpp"

#include <unistd.h>

#include <array>
#include <climits>

#include "hostseal/common/raised_error.hpp"
#include "hostseal/common/utf8.hpp"
#include "hostseal/ui/status_log.hpp"

namespace hostseal {

namespace {

constexpr std::int32_t kSuccess = 0;
constexpr std::int32_t kFailure = 1;

// 127.0.0.0/8: the first field of the dotted address is 127.
bool IsLoopback(const std::u16string& address) {
  return address.rfind(u"127.", 0) == 0;
}

// Logs one answer: green with its text, or red with the reason it is missing.
bool Report(RichTextBox& box, const std::u16string& head, const std::u16string& value,
            const std::u16string& whyMissing) {
  if (value.empty()) {
    AddStatusLine(box, head, whyMissing, kFailure);
    return false;
  }
  AddStatusLine(box, head, value, kSuccess);
  return true;
}

}  // namespace

std::u16string GetLocalHostName() {
  std::array<char, HOST_NAME_MAX + 1> buffer{};
  if (gethostname(buffer.data(), buffer.size() - 1) != 0) return {};
  return FromUtf8(buffer.data());  // the last byte stays 0 even when the name was cut
}

std::u16string ComposeIdentityLine(const std::u16string& name, const std::u16string& address,
                                   const std::u16string& mac, const std::u16string& cpu) {
  return u"host=" + name + u" ip=" + address + u" mac=" + mac + u" cpu=" + cpu;
}

bool ReportHostIdentity(RichTextBox& StatusTxt, cRijndael& cipher) {
  return ReportHostIdentity(StatusTxt, cipher, HostQueries{});
}

bool ReportHostIdentity(RichTextBox& StatusTxt, cRijndael& cipher, const HostQueries& queries) {
  bool complete = true;

  const std::u16string name = queries.hostName();
  complete &= Report(StatusTxt, u"Host name: ", name, u"cannot be read");

  std::u16string address = name.empty() ? std::u16string() : queries.hostIP(name);
  complete &=
      Report(StatusTxt, u"IP address: ", address,
             name.empty() ? u"no host name to resolve" : u"\"" + name + u"\" does not resolve");

  std::u16string mac;
  if (address.empty()) {
    complete &= Report(StatusTxt, u"MAC address: ", mac, u"no address to look up");
  } else if (IsLoopback(address)) {
    // The name stands for this machine only on loopback; the interface of the default route
    // is what the network knows it by.
    const std::optional<InterfaceIdentity> route = queries.defaultRoute();
    if (!route) {
      complete &= Report(StatusTxt, u"Default route: ", u"",
                         u"none, so no interface identifies " + address + u" on the network");
    } else {
      AddStatusLine(StatusTxt, u"Default route: ", u"interface " + route->name, kSuccess);
      complete &=
          Report(StatusTxt, u"Interface address: ", route->address, u"none on " + route->name);
      if (!route->address.empty()) address = route->address;
      mac = route->mac;
      complete &= Report(StatusTxt, u"MAC address: ", mac, u"none on " + route->name);
    }
  } else {
    std::u16string found;
    if (queries.macAddress(address, found)) mac = found;
    complete &= Report(StatusTxt, u"MAC address: ", mac, u"no reply for " + address);
  }

  const std::u16string cpu = queries.cpu();
  complete &= Report(StatusTxt, u"CPU: ", cpu, u"no processor identifier");

  std::u16string sealed;
  std::u16string whyNot = u"the encryption gave no text";
  try {
    sealed = cipher.Encrypt(ComposeIdentityLine(name, address, mac, cpu));
  } catch (const RaisedError& error) {
    whyNot = FromUtf8(error.Description());
  }
  complete &= Report(StatusTxt, u"Encrypted identity: ", sealed, whyNot);
  return complete;
}

}  // namespace hostseal
