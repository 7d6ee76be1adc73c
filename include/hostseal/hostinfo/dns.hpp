// DNS::GetHostIP: the first IPv4 address of a host name, as dotted decimal text.
#pragma once

#include <string>

namespace hostseal::DNS {

// The first IPv4 address that the system resolver gives for the name, as dotted decimal
// without leading zeros ("10.0.0.5"); "" when the name does not resolve. Never raises.
std::u16string GetHostIP(const std::u16string& sHostName);

}  // namespace hostseal::DNS
