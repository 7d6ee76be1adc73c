// The identifier of one processor: on x86 the signature and feature words of CPUID leaf 1 (EDX
// then EAX, eight upper-case hex digits each, "BFEBFBFF000906EA"), elsewhere the main ID
// register that sysfs shows (MIDR_EL1 on ARM), as sixteen upper-case hex digits.
#pragma once

#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>

namespace hostseal::cpu_topology {

std::string FormatCpuidIdentifier(std::uint32_t edx, std::uint32_t eax);

// CPUID leaf 1 on the processor the calling thread runs on; std::nullopt off x86 or when the
// processor lacks the leaf.
std::optional<std::string> ReadCpuidIdentifier();

// The main ID register of processor cpu from cpuRoot/cpuN/regs/identification/midr_el1.
std::optional<std::string> ReadMainIdRegister(const std::filesystem::path& cpuRoot, int cpu);

}  // namespace hostseal::cpu_topology
