#include "tools/hostseal/commands/host.hpp"

#include <unistd.h>

#include <iostream>
#include <memory>
#include <string>
#include <string_view>

#include "hostseal/cipher/rijndael.hpp"
#include "hostseal/common/utf8.hpp"
#include "hostseal/common/visible_text.hpp"
#include "hostseal/hostinfo/cpu.hpp"
#include "hostseal/hostinfo/dns.hpp"
#include "hostseal/hostinfo/ipv4_text.hpp"
#include "hostseal/hostinfo/mac.hpp"
#include "hostseal/log/status_log.hpp"
#include "hostseal/operations/identity_operation.hpp"
#include "tools/hostseal/exit_status.hpp"
#include "tools/hostseal/streams/standard_streams.hpp"
#include "tools/hostseal/streams/terminal_box.hpp"

namespace hostseal::cli {

namespace {

// JsonString: UTF-8 text as a JSON string literal, quotes included: quotation marks and
// backslashes escaped, the control characters (C0, DEL and C1, as the status lines show them
// as codes) as \u00XX, everything else (non-ASCII included) as it stands, so that any JSON
// parser reads back the same text and none of them reaches a terminal that shows it raw.
std::string JsonString(std::string_view utf8) {
  static constexpr char kDigits[] = "0123456789abcdef";
  const auto escape = [&](std::string& out, unsigned char code) {
    out += "\\u00";
    out += kDigits[code >> 4];
    out += kDigits[code & 0xF];
  };
  std::string out;
  out.reserve(utf8.size() + 2);
  out += '"';
  for (std::size_t i = 0; i < utf8.size(); ++i) {
    const char c = utf8[i];
    const auto byte = static_cast<unsigned char>(c);
    const auto next = static_cast<unsigned char>(i + 1 < utf8.size() ? utf8[i + 1] : '\0');
    if (c == '"' || c == '\\') {
      out += '\\';
      out += c;
    } else if (byte < 0x20 || byte == 0x7F) {
      escape(out, byte);
    } else if (byte == 0xC2 && next >= 0x80 && next <= 0x9F) {  // U+0080..U+009F
      escape(out, next);
      ++i;
    } else {
      out += c;
    }
  }
  out += '"';
  return out;
}

int RunHostIp(const std::string& name) {
  const std::u16string address = DNS::GetHostIP(FromUtf8(name));
  if (address.empty()) {
    WriteDiagnostic("no IPv4 address found for " + VisibleText(name));
    return kExitFailure;
  }
  WriteLine(address);
  return kExitSuccess;
}

int RunMac(const std::string& address) {
  std::u16string mac;
  if (!MAC::GetMacAddress(FromUtf8(address), mac)) {
    WriteDiagnostic("no MAC address found for " + VisibleText(address));
    return kExitFailure;
  }
  WriteLine(mac);
  return kExitSuccess;
}

int RunCpu() {
  const std::u16string ids = GetCpu();
  if (ids.empty()) {
    WriteDiagnostic("no processor identifier found");
    return kExitFailure;
  }
  WriteLine(ids);
  return kExitSuccess;
}

int RunIdentity(CommandMessageSink& sink, bool json) {
  cRijndael cipher(sink);
  if (!json) {
    // The answers come from the system and the network (a host name may hold an escape
    // sequence): each is shown as file names are, its control characters as their codes.
    TerminalBox box(std::cout, TerminalBox::ColoursWanted(STDOUT_FILENO));
    bool complete = true;
    for (const IdentityItem& item : GatherHostIdentity(cipher, HostQueries{})) {
      AddStatusLine(box, item.head, FromUtf8(VisibleText(item.shown)), item.ok ? 0 : 1);
      complete &= item.ok;
    }
    return complete ? kExitSuccess : kExitFailure;
  }
  // {"host_name":{"ok":true,"value":"vm"},...,"complete":true}
  bool complete = true;
  std::string out = "{";
  for (const IdentityItem& item : GatherHostIdentity(cipher, HostQueries{})) {
    out += JsonString(item.key) + ":{\"ok\":" + (item.ok ? "true" : "false") + ",";
    out += (item.ok ? "\"value\":" : "\"error\":") +
           JsonString(ToUtf8(item.ok ? item.value : item.shown));
    out += "},";
    complete &= item.ok;
  }
  out += std::string("\"complete\":") + (complete ? "true" : "false") + "}";
  WriteLine(FromUtf8(out));
  return complete ? kExitSuccess : kExitFailure;
}

// The mac command's address, read as the host queries read address texts.
CLI::Validator DottedDecimalIPv4() {
  return CLI::Validator(
      [](std::string& text) {
        return ParseIpv4Text(FromUtf8(text))
                   ? std::string()
                   : "\"" + VisibleText(text) +
                         "\" is not a dotted-decimal IPv4 address such as 192.168.1.20";
      },
      "IPV4");
}

CommandRun DefineHostIp(CLI::App& command) {
  auto name = std::make_shared<std::string>();
  command.add_option("NAME", *name, "The host name")->required();
  return [name](const CommandContext&) { return RunHostIp(*name); };
}

CommandRun DefineMac(CLI::App& command) {
  auto address = std::make_shared<std::string>();
  command.add_option("IP", *address, "A dotted-decimal IPv4 address")
      ->required()
      ->check(DottedDecimalIPv4());
  return [address](const CommandContext&) { return RunMac(*address); };
}

CommandRun DefineCpu(CLI::App&) {
  return [](const CommandContext&) { return RunCpu(); };
}

CommandRun DefineIdentity(CLI::App& command) {
  auto json = std::make_shared<bool>(false);
  command.add_flag("--json", *json,
                   "Print one JSON object instead: for each item \"ok\" and its \"value\" or "
                   "the \"error\" that says why it is missing, and \"complete\"");
  return [json](const CommandContext& context) { return RunIdentity(context.sink, *json); };
}

}  // namespace

const Command kHostIpCommand = {"host-ip",
                                "Print the first IPv4 address of a host name",
                                "hostseal host-ip localhost",
                                false,
                                false,
                                DefineHostIp};

const Command kMacCommand = {"mac",
                             "Print the MAC address behind an IPv4 address of the local network",
                             "hostseal mac 192.168.1.1",
                             false,
                             false,
                             DefineMac};

const Command kCpuCommand = {
    "cpu", "Print the processor identifiers", "hostseal cpu", false, false, DefineCpu};

const Command kIdentityCommand = {
    "identity",
    "Report this host's identity as coloured status lines, and its encrypted form",
    "hostseal identity --json",
    false,
    false,
    DefineIdentity};

}  // namespace hostseal::cli
