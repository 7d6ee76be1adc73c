// GetLocalHostName: this machine's name, as the identity report shows it.
#pragma once

#include <string>

namespace hostseal {

// This host's name as gethostname gives it; "" when it cannot be read.
std::u16string GetLocalHostName();

}  // namespace hostseal
