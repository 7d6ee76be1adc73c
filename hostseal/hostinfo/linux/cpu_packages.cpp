#include "hostseal/hostinfo/linux/cpu_packages.hpp"

#include <algorithm>
#include <charconv>
#include <fstream>
#include <map>
#include <optional>
#include <string>
#include <system_error>

namespace hostseal::cpu_topology {
namespace {

// The N of a directory named cpuN, nothing for cpufreq, cpuidle and the like.
std::optional<int> CpuNumber(const std::string& name) {
  if (name.size() <= 3 || name.compare(0, 3, "cpu") != 0) return std::nullopt;
  int number = 0;
  const char* first = name.data() + 3;
  const char* last = name.data() + name.size();
  const auto [end, error] = std::from_chars(first, last, number);
  if (error != std::errc{} || end != last || number < 0) return std::nullopt;
  return number;
}

std::optional<long> ReadPackageId(const std::filesystem::path& cpuDirectory) {
  std::ifstream file(cpuDirectory / "topology" / "physical_package_id");
  long id = 0;
  if (!(file >> id)) return std::nullopt;
  return id;
}

}  // namespace

std::vector<ProcessorPackage> ReadProcessorPackages(const std::filesystem::path& cpuRoot) {
  std::vector<int> cpus;
  std::error_code error;
  for (std::filesystem::directory_iterator it(cpuRoot, error), end; !error && it != end;
       it.increment(error)) {
    if (const auto number = CpuNumber(it->path().filename().string())) cpus.push_back(*number);
  }
  std::sort(cpus.begin(), cpus.end());

  std::map<long, std::vector<int>> byPackage;
  for (const int cpu : cpus) {
    if (const auto id = ReadPackageId(cpuRoot / ("cpu" + std::to_string(cpu)))) {
      byPackage[*id].push_back(cpu);
    }
  }
  if (byPackage.empty()) return {ProcessorPackage{0, cpus}};

  std::vector<ProcessorPackage> packages;
  packages.reserve(byPackage.size());
  for (auto& [id, members] : byPackage) packages.push_back({id, std::move(members)});
  return packages;
}

}  // namespace hostseal::cpu_topology
