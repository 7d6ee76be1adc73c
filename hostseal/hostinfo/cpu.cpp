#include "hostseal/hostinfo/cpu.hpp"

#include "hostseal/common/utf8.hpp"
#include "hostseal/hostinfo/host_platform.hpp"

namespace hostseal {

std::u16string GetCpu(ProcessorIdList* cpuStrArray) {
  try {
    if (cpuStrArray != nullptr) cpuStrArray->clear();
    std::u16string joined;
    for (const auto& id : hostinfo_platform::ReadProcessorIds()) {
      std::optional<std::u16string> text;
      if (id) text = FromUtf8(*id);
      if (cpuStrArray != nullptr) cpuStrArray->push_back(text);
      joined += u' ';
      if (text) joined += *text;
    }
    const auto first = joined.find_first_not_of(u' ');
    if (first == std::u16string::npos) return {};
    const auto last = joined.find_last_not_of(u' ');
    return joined.substr(first, last - first + 1);
  } catch (...) {
    return {};  // no error leaves the query
  }
}

}  // namespace hostseal
