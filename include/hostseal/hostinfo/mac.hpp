// MAC::GetMacAddress: the hardware address behind an IPv4 address, as hyphen-separated
// hexadecimal text ("00-C-29-A-B-1": a zero byte is "00", any other byte upper-case hex
// without a leading zero).
#pragma once

#include <chrono>
#include <string>

namespace hostseal::MAC {

// How long a query waits for a neighbour that is not yet known to answer.
inline constexpr std::chrono::milliseconds kDefaultResolveWait{1000};

// True and sMac set when the address was found; false with sMac unchanged otherwise. sIP must
// be four decimal fields of 0 to 255 without leading zeros; 0.0.0.0 and every other text give
// false.
bool GetMacAddress(std::u16string sIP, std::u16string& sMac);

// The same, waiting at most waitBound for a neighbour to answer.
bool GetMacAddress(std::u16string sIP, std::u16string& sMac, std::chrono::milliseconds waitBound);

}  // namespace hostseal::MAC
