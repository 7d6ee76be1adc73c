// ReportHostIdentity: asks the host queries in turn and logs each answer as a status line.
#include "hostseal/operations/identity_operation.hpp"

#include <exception>

#include "hostseal/common/raised_error.hpp"
#include "hostseal/common/utf8.hpp"
#include "hostseal/log/status_log.hpp"

namespace hostseal {

namespace {

constexpr std::int32_t kSuccess = 0;
constexpr std::int32_t kFailure = 1;

// 127.0.0.0/8: the first field of the dotted address is 127.
bool IsLoopback(const std::u16string& address) {
  return address.rfind(u"127.", 0) == 0;
}

IdentityItem Item(std::string key, std::u16string head, const std::u16string& value,
                  const std::u16string& whyMissing) {
  IdentityItem item{std::move(key), std::move(head), !value.empty(), value, value};
  if (!item.ok) item.shown = whyMissing;
  return item;
}

}  // namespace

std::u16string ComposeIdentityLine(const std::u16string& name, const std::u16string& address,
                                   const std::u16string& mac, const std::u16string& cpu) {
  return u"host=" + name + u" ip=" + address + u" mac=" + mac + u" cpu=" + cpu;
}

bool ReportHostIdentity(RichTextBox& StatusTxt, cRijndael& cipher) {
  return ReportHostIdentity(StatusTxt, cipher, HostQueries{});
}

std::vector<IdentityItem> GatherHostIdentity(cRijndael& cipher, const HostQueries& queries) {
  std::vector<IdentityItem> items;

  const std::u16string name = queries.hostName();
  items.push_back(Item("host_name", u"Host name: ", name, u"cannot be read"));

  std::u16string address = name.empty() ? std::u16string() : queries.hostIP(name);
  items.push_back(
      Item("ip_address", u"IP address: ", address,
           name.empty() ? u"no host name to resolve" : u"\"" + name + u"\" does not resolve"));

  std::u16string mac;
  if (address.empty()) {
    items.push_back(Item("mac_address", u"MAC address: ", mac, u"no address to look up"));
  } else if (IsLoopback(address)) {
    // The name stands for this machine only on loopback; the interface of the default route
    // is what the network knows it by.
    const std::optional<InterfaceIdentity> route = queries.defaultRoute();
    if (!route) {
      items.push_back(Item("default_route", u"Default route: ", u"",
                           u"none, so no interface identifies " + address + u" on the network"));
    } else {
      IdentityItem interface = Item("default_route", u"Default route: ", route->name, u"none");
      interface.shown = u"interface " + route->name;
      items.push_back(std::move(interface));
      items.push_back(Item("interface_address", u"Interface address: ", route->address,
                           u"none on " + route->name));
      if (!route->address.empty()) address = route->address;
      mac = route->mac;
      items.push_back(Item("mac_address", u"MAC address: ", mac, u"none on " + route->name));
    }
  } else {
    std::u16string found;
    if (queries.macAddress(address, found)) mac = found;
    items.push_back(Item("mac_address", u"MAC address: ", mac, u"no reply for " + address));
  }

  const std::u16string cpu = queries.cpu();
  items.push_back(Item("cpu", u"CPU: ", cpu, u"no processor identifier"));

  std::u16string sealed;
  std::u16string whyNot = u"the encryption gave no text";
  try {
    sealed = cipher.Encrypt(ComposeIdentityLine(name, address, mac, cpu));
  } catch (const RaisedError& error) {
    whyNot = FromUtf8(error.Description());
  }
  items.push_back(Item("encrypted_identity", u"Encrypted identity: ", sealed, whyNot));
  return items;
}

bool ReportHostIdentity(RichTextBox& StatusTxt, cRijndael& cipher, const HostQueries& queries) {
  bool complete = true;
  for (const IdentityItem& item : GatherHostIdentity(cipher, queries)) {
    AddStatusLine(StatusTxt, item.head, item.shown, item.ok ? kSuccess : kFailure);
    complete &= item.ok;
  }
  return complete;
}

void IdentityOperation(RichTextBox& StatusTxt, cRijndael& cipher, const HostQueries& queries) {
  std::u16string failure;
  try {
    ReportHostIdentity(StatusTxt, cipher, queries);
    return;
  } catch (const RaisedError& error) {
    failure = FromUtf8(error.Description());
  } catch (const std::exception& error) {
    failure = FromUtf8(error.what());
  }
  AddStatusLine(StatusTxt, u"Host identity: ", failure, 1);
}

}  // namespace hostseal
