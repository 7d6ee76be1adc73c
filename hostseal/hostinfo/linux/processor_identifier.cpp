#include "hostseal/hostinfo/linux/processor_identifier.hpp"

#include <charconv>
#include <fstream>
#include <system_error>

#if defined(__i386__) || defined(__x86_64__)
#include <cpuid.h>
#endif

namespace hostseal::cpu_topology {
namespace {

void AppendHex(std::string& text, std::uint64_t value, int digits) {
  static constexpr char kDigits[] = "0123456789ABCDEF";
  for (int shift = (digits - 1) * 4; shift >= 0; shift -= 4) {
    text += kDigits[(value >> shift) & 0xF];
  }
}

}  // namespace

std::string FormatCpuidIdentifier(std::uint32_t edx, std::uint32_t eax) {
  std::string text;
  AppendHex(text, edx, 8);
  AppendHex(text, eax, 8);
  return text;
}

std::optional<std::string> ReadCpuidIdentifier() {
#if defined(__i386__) || defined(__x86_64__)
  unsigned eax = 0;
  unsigned ebx = 0;
  unsigned ecx = 0;
  unsigned edx = 0;
  if (__get_cpuid(1, &eax, &ebx, &ecx, &edx) == 0) return std::nullopt;
  return FormatCpuidIdentifier(edx, eax);
#else
  return std::nullopt;
#endif
}

std::optional<std::string> ReadMainIdRegister(const std::filesystem::path& cpuRoot, int cpu) {
  std::ifstream file(cpuRoot / ("cpu" + std::to_string(cpu)) / "regs" / "identification" /
                     "midr_el1");
  std::string word;
  if (!(file >> word)) return std::nullopt;
  if (word.size() > 2 && word[0] == '0' && (word[1] == 'x' || word[1] == 'X')) word.erase(0, 2);
  std::uint64_t value = 0;
  const auto [end, error] = std::from_chars(word.data(), word.data() + word.size(), value, 16);
  if (word.empty() || error != std::errc{} || end != word.data() + word.size()) {
    return std::nullopt;
  }
  std::string text;
  AppendHex(text, value, 16);
  return text;
}

}  // namespace hostseal::cpu_topology
