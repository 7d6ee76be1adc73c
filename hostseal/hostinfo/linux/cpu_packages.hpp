// The processors of this machine grouped by physical package, as sysfs describes them
// (cpuN/topology/physical_package_id).
#pragma once

#include <filesystem>
#include <vector>

namespace hostseal::cpu_topology {

struct ProcessorPackage {
  long id = 0;
  std::vector<int> cpus;  // online processors of the package, ascending
};

// Packages ascending by id. Processors without topology (offline ones) are left out; when no
// processor has any, all processors found form one package, and when sysfs lists none at all,
// there is one package without processors.
std::vector<ProcessorPackage> ReadProcessorPackages(
    const std::filesystem::path& cpuRoot = "/sys/devices/system/cpu");

}  // namespace hostseal::cpu_topology
