// The Linux side of GetCpu: one identifier per physical package, read on a processor of that
// package.
#include "hostseal/hostinfo/host_platform.hpp"
#include "hostseal/hostinfo/linux/cpu_packages.hpp"
#include "hostseal/hostinfo/linux/processor_identifier.hpp"
#include "hostseal/hostinfo/linux/thread_affinity.hpp"

namespace hostseal::hostinfo_platform {

std::vector<std::optional<std::string>> ReadProcessorIds() {
  const std::filesystem::path cpuRoot = "/sys/devices/system/cpu";
  const auto packages = cpu_topology::ReadProcessorPackages(cpuRoot);
  std::vector<std::optional<std::string>> ids;
#if defined(__i386__) || defined(__x86_64__)
  cpu_topology::ThreadAffinity affinity;
  for (const auto& package : packages) {
    // When the thread may run on none of the package's processors, the processor it runs on
    // answers: packages of one machine practically always carry the same signature.
    for (const int cpu : package.cpus) {
      if (affinity.PinTo(cpu)) break;
    }
    ids.push_back(cpu_topology::ReadCpuidIdentifier());
  }
#else
  for (const auto& package : packages) {
    ids.push_back(
        cpu_topology::ReadMainIdRegister(cpuRoot, package.cpus.empty() ? 0 : package.cpus[0]));
  }
#endif
  return ids;
}

}  // namespace hostseal::hostinfo_platform
