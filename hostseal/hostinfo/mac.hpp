// MAC::GetMacAddress: the hardware address behind an IPv4 address, as hyphen-separated
// hexadecimal text ("00-C-29-A-B-1": a zero byte is "00", any other byte upper-case hex
// without a leading zero).
#pragma once

#include <string>

namespace hostseal::MAC {

// True and sMac set when the address was found; false with sMac unchanged otherwise.
bool GetMacAddress(std::u16string sIP, std::u16string& sMac);

}  // namespace hostseal::MAC
