// The keygen command: a new key from the system's random source, written as hex digits and a
// line feed into a new private file, or on standard output, for --key-file and HOSTSEAL_KEY.
#pragma once

#include <string>

namespace hostseal::cli {

// bits is 128, 192 or 256; file "-" is standard output.
int RunKeygen(int bits, const std::string& file);

}  // namespace hostseal::cli
