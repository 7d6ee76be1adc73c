// The reason that tests give when they skip in a build without the platform layer
// (HOSTSEAL_NO_PLATFORM_LAYER: the Windows build holds the cipher core only, for now).
#pragma once

namespace hostseal::testing {

inline constexpr const char* kNoPlatformLayer =
    "this build has no platform layer yet (code pages, files): only the cipher core is built";

}  // namespace hostseal::testing
