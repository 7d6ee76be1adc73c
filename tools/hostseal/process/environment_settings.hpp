// The tool's settings from the environment, checked before a command runs: HOSTSEAL_CODEPAGE
// (when --codepage is not given) and HOSTSEAL_CPU. Their messages name the variable.
#pragma once

#include <optional>

namespace hostseal::cli {

// The code page: the option's when given, else HOSTSEAL_CODEPAGE's when set and not empty,
// set for the whole process. A value that is not decimal digits raises a UsageError; a number
// that names no code page, the library's RaisedError.
void ApplyCodePageSetting(const std::optional<int>& option);

// HOSTSEAL_CPU: a path this processor lacks raises a UsageError (with refuseUnavailable; else
// it is warned about); a value that names no path is warned about on standard error, and the
// processor's best path is used. Every command checks it, --help and --version without
// refusing.
void CheckCpuSetting(bool refuseUnavailable = true);

}  // namespace hostseal::cli
