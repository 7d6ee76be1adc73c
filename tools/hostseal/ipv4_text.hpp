// Dotted-decimal IPv4 text as the mac command accepts it: four decimal fields of 0 to 255,
// without signs, spaces or leading zeros (a leading zero would read as octal to some parsers).
#pragma once

#include <string_view>

#include <CLI/CLI.hpp>

namespace hostseal::cli {

bool IsDottedDecimalIPv4(std::string_view text);

// The same rule as a command-line validator.
CLI::Validator DottedDecimalIPv4();

}  // namespace hostseal::cli
