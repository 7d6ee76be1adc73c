#include "hostseal/hostinfo/dns.hpp"

#include <algorithm>

#include "hostseal/common/utf8.hpp"
#include "hostseal/hostinfo/host_platform.hpp"

namespace hostseal {
namespace {

// A host name has at most 253 characters; one final dot (the root) does not count.
constexpr std::size_t kMaxHostNameLength = 253;

bool IsAcceptableHostName(const std::string& name) {
  if (name.empty() || name.find('\0') != std::string::npos) return false;
  std::size_t length = name.size();
  if (name.back() == '.') --length;
  return length > 0 && length <= kMaxHostNameLength;
}

}  // namespace

std::u16string DNS::GetHostIP(const std::u16string& sHostName) {
  try {
    const std::string name = ToUtf8(sHostName);
    if (!IsAcceptableHostName(name)) return {};
    const auto address = hostinfo_platform::ResolveFirstIpv4(name);
    return address ? FormatIpv4Text(*address) : std::u16string{};
  } catch (...) {
    return {};  // only allocation can fail here; the query reports failure by its result
  }
}

}  // namespace hostseal
