// The host queries of the C interface: a host name's IPv4 address, the hardware address behind
// an IPv4 address, the processor identifiers.
#include <chrono>
#include <cstdint>
#include <string>

#include "hostseal/c/output_buffer.hpp"
#include "hostseal/c/status.hpp"
#include "hostseal/c/utf8_input.hpp"
#include "hostseal/common/utf8.hpp"
#include "hostseal/hostinfo/cpu.hpp"
#include "hostseal/hostinfo/dns.hpp"
#include "hostseal/hostinfo/ipv4_text.hpp"
#include "hostseal/hostinfo/mac.hpp"

using namespace hostseal;
using namespace hostseal::c_interface;

extern "C" {

HOSTSEAL_API hostseal_status HOSTSEAL_CALL hostseal_host_ip(const char* name, char* out,
                                                            size_t* out_len) {
  return CallGuarded([&]() -> hostseal_status {
    HOSTSEAL_REQUIRE(out_len);
    const InputText input(name, "name");
    const std::u16string address = DNS::GetHostIP(input.Text());
    if (address.empty()) {
      return Fail(HOSTSEAL_NOT_FOUND, "The host name has no IPv4 address");
    }
    return PutText(ToUtf8(address), out, out_len);
  });
}

HOSTSEAL_API hostseal_status HOSTSEAL_CALL hostseal_mac_address(const char* ipv4, int32_t wait_ms,
                                                                char* out, size_t* out_len) {
  return CallGuarded([&]() -> hostseal_status {
    HOSTSEAL_REQUIRE(out_len);
    const InputText input(ipv4, "ipv4");
    if (!ParseIpv4Text(input.Text())) {
      return Fail(HOSTSEAL_INVALID_ARGUMENT,
                  "Invalid procedure call or argument: the address is not four decimal fields "
                  "of 0 to 255");
    }
    const std::chrono::milliseconds wait =
        wait_ms < 0 ? MAC::kDefaultResolveWait : std::chrono::milliseconds(wait_ms);
    std::u16string mac;
    if (!MAC::GetMacAddress(input.Text(), mac, wait)) {
      return Fail(HOSTSEAL_NOT_FOUND, "No hardware address answers for the address");
    }
    return PutText(ToUtf8(mac), out, out_len);
  });
}

HOSTSEAL_API hostseal_status HOSTSEAL_CALL hostseal_processor_ids(char* out, size_t* out_len) {
  return CallGuarded([&]() -> hostseal_status {
    HOSTSEAL_REQUIRE(out_len);
    return PutText(ToUtf8(GetCpu()), out, out_len);
  });
}

}  // extern "C"
