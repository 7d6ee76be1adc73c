// This machine's name on Windows: its DNS host name (without the domain), as UTF-16 from the
// system, so that no code page stands between the name and the caller.
#include <windows.h>

#include <string>

#include "hostseal/hostinfo/local_host_name.hpp"

namespace hostseal {

std::u16string GetLocalHostName() {
  DWORD size = 0;
  ::GetComputerNameExW(ComputerNameDnsHostname, nullptr, &size);  // asks for the size
  if (size == 0) return {};
  std::wstring name(size, L'\0');
  if (!::GetComputerNameExW(ComputerNameDnsHostname, name.data(), &size)) return {};
  name.resize(size);
  return std::u16string(name.begin(), name.end());
}

}  // namespace hostseal
