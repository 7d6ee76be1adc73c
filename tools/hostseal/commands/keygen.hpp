// The keygen command: a new key from the system's random source, written as hex digits and a
// line feed into a new private file, or on standard output, for --key-file and HOSTSEAL_KEY.
// --bits is 128, 192 or 256; FILE "-" is standard output.
#pragma once

#include "tools/hostseal/command_table.hpp"

namespace hostseal::cli {

extern const Command kKeygenCommand;

}  // namespace hostseal::cli
