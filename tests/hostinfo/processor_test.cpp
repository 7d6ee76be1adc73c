// GetCpu against CPUID executed here and the package count that sysfs shows, and the sysfs
// reading on trees the test builds itself.
#include <gtest/gtest.h>
#include <sched.h>
#include <stdlib.h>

#include <filesystem>
#include <fstream>
#include <set>

#include "hostseal/common/utf8.hpp"
#include "hostseal/hostinfo/cpu.hpp"
#include "hostseal/hostinfo/linux/cpu_packages.hpp"
#include "hostseal/hostinfo/linux/processor_identifier.hpp"
#include "tests/support/scratch_folder.hpp"

#if defined(__i386__) || defined(__x86_64__)
#include <cpuid.h>

#include <cstdio>
#endif

namespace hostseal {
namespace {

namespace fs = std::filesystem;

std::size_t PackageCountInSysfs() {
  std::set<std::string> packages;
  std::error_code error;
  for (fs::directory_iterator it("/sys/devices/system/cpu", error), end; !error && it != end;
       it.increment(error)) {
    std::ifstream file(it->path() / "topology" / "physical_package_id");
    std::string id;
    if (file >> id) packages.insert(id);
  }
  return packages.empty() ? 1 : packages.size();
}

cpu_set_t CurrentAffinity() {
  cpu_set_t set;
  CPU_ZERO(&set);
  EXPECT_EQ(::sched_getaffinity(0, sizeof(set), &set), 0);
  return set;
}

TEST(GetCpu, OneIdentifierPerPackageFromCpuidAndTheAffinityIsRestored) {
  // Narrow the thread to its last two allowed processors: the query moves it onto one of
  // them, so a query that forgets to restore the affinity, or restores "all processors"
  // instead, is caught.
  const cpu_set_t original = CurrentAffinity();
  cpu_set_t narrowed;
  CPU_ZERO(&narrowed);
  for (int cpu = CPU_SETSIZE - 1, kept = 0; cpu >= 0 && kept < 2; --cpu) {
    if (CPU_ISSET(cpu, &original)) {
      CPU_SET(cpu, &narrowed);
      ++kept;
    }
  }
  ASSERT_GT(CPU_COUNT(&narrowed), 0);
  ASSERT_EQ(::sched_setaffinity(0, sizeof(narrowed), &narrowed), 0);

  ProcessorIdList list = {std::u16string(u"stale"), std::nullopt};
  const std::u16string joined = GetCpu(&list);
  const cpu_set_t after = CurrentAffinity();
  ASSERT_EQ(::sched_setaffinity(0, sizeof(original), &original), 0);
  EXPECT_TRUE(CPU_EQUAL(&after, &narrowed));

  EXPECT_EQ(list.size(), PackageCountInSysfs());
  std::u16string expectedJoined;
#if defined(__i386__) || defined(__x86_64__)
  unsigned eax = 0, ebx = 0, ecx = 0, edx = 0;
  ASSERT_NE(__get_cpuid(1, &eax, &ebx, &ecx, &edx), 0);
  char text[17];
  std::snprintf(text, sizeof(text), "%08X%08X", edx, eax);
  for (const auto& id : list) {
    ASSERT_TRUE(id.has_value());
    EXPECT_EQ(ToUtf8(*id), text);
    expectedJoined += (expectedJoined.empty() ? u"" : u" ") + *id;
  }
#else
  for (const auto& id : list) {
    if (id) expectedJoined += (expectedJoined.empty() ? u"" : u" ") + *id;
  }
#endif
  EXPECT_EQ(joined, expectedJoined);
  EXPECT_EQ(GetCpu(), joined);  // the list is optional
}

// A fake sysfs processor directory, removed afterwards.
class FakeCpuTree : public ::testing::Test {
 protected:
  void AddCpu(int cpu, const char* packageId) {
    const auto directory = m_Root / ("cpu" + std::to_string(cpu));
    fs::create_directories(directory / "topology");
    if (packageId != nullptr)
      std::ofstream(directory / "topology" / "physical_package_id") << packageId << "\n";
  }
  static std::vector<std::pair<long, std::vector<int>>> Flatten(
      const std::vector<cpu_topology::ProcessorPackage>& packages) {
    std::vector<std::pair<long, std::vector<int>>> flat;
    for (const auto& package : packages) flat.emplace_back(package.id, package.cpus);
    return flat;
  }
  const testing::ScratchFolder m_Folder;
  const fs::path& m_Root = m_Folder.Path();
};

TEST_F(FakeCpuTree, ProcessorsAreGroupedByPackageInNumericOrder) {
  AddCpu(0, "1");
  AddCpu(1, "0");
  AddCpu(2, "1");
  AddCpu(10, "0");
  AddCpu(3, nullptr);  // offline: no topology
  fs::create_directories(m_Root / "cpufreq");
  fs::create_directories(m_Root / "cpu4x");
  using Packages = std::vector<std::pair<long, std::vector<int>>>;
  EXPECT_EQ(Flatten(cpu_topology::ReadProcessorPackages(m_Root)),
            (Packages{{0, {1, 10}}, {1, {0, 2}}}));
}

TEST_F(FakeCpuTree, WithoutTopologyThereIsOnePackage) {
  using Packages = std::vector<std::pair<long, std::vector<int>>>;
  EXPECT_EQ(Flatten(cpu_topology::ReadProcessorPackages(m_Root)), (Packages{{0, {}}}));
  EXPECT_EQ(Flatten(cpu_topology::ReadProcessorPackages(m_Root / "missing")), (Packages{{0, {}}}));
  AddCpu(1, nullptr);
  AddCpu(0, nullptr);
  EXPECT_EQ(Flatten(cpu_topology::ReadProcessorPackages(m_Root)), (Packages{{0, {0, 1}}}));
}

TEST_F(FakeCpuTree, MainIdRegisterIsSixteenUpperCaseDigits) {
  const auto write = [&](int cpu, const char* text) {
    const auto directory = m_Root / ("cpu" + std::to_string(cpu)) / "regs" / "identification";
    fs::create_directories(directory);
    std::ofstream(directory / "midr_el1") << text;
  };
  write(0, "0x00000000410fd083\n");
  write(1, "0x410fd0c1\n");
  write(2, "not hex\n");
  EXPECT_EQ(cpu_topology::ReadMainIdRegister(m_Root, 0), "00000000410FD083");
  EXPECT_EQ(cpu_topology::ReadMainIdRegister(m_Root, 1), "00000000410FD0C1");
  EXPECT_EQ(cpu_topology::ReadMainIdRegister(m_Root, 2), std::nullopt);
  EXPECT_EQ(cpu_topology::ReadMainIdRegister(m_Root, 3), std::nullopt);
  EXPECT_EQ(cpu_topology::FormatCpuidIdentifier(0xBFEBFBFF, 0x000906EA), "BFEBFBFF000906EA");
}

}  // namespace
}  // namespace hostseal
