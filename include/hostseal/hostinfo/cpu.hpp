// GetCpu: the processor identifiers of this machine, one per physical package, joined by
// single spaces.
#pragma once

#include <optional>
#include <string>
#include <vector>

namespace hostseal {

// One element per processor package, in package order; std::nullopt where a package has no
// identifier. Optional: pass nullptr when only the joined text is wanted.
using ProcessorIdList = std::vector<std::optional<std::u16string>>;

std::u16string GetCpu(ProcessorIdList* cpuStrArray = nullptr);

}  // namespace hostseal
