// The many-block back-ends of cRijndael and the choice between them.
//
// A back-end transforms n consecutive 16-byte blocks under round keys laid out as the key
// schedule leaves them: words with their first byte least significant, so that on a
// little-endian machine round key r is the 16 bytes at words 4r to 4r+3, the order in which
// the AES instructions take it; the decryption keys are already those of the equivalent inverse
// cipher. The table code inside cRijndael is the portable path and the reference; a hardware
// back-end is chosen once, at the first use, from the processor's features, unless
// HOSTSEAL_CPU asks for another path: "portable" (the tables), "aes-ni" or "vaes". A request the
// processor cannot meet, or a value that names no path, leaves the choice to the features;
// RequestedPath tells a caller which of these it was, so that it can say so.
//
// Timing: the hardware back-ends neither branch on nor index memory by key or data (checked
// under valgrind's memcheck, tests/cipher/ctgrind_test.cpp). The table path and the key
// schedule look up tables by secret bytes, so cache timing can reveal the key to code that
// shares the processor; the table path runs only where the AES instructions are missing, and
// the key schedule once per key.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "hostseal/common/byte_array.hpp"

namespace hostseal::cipher_backend {

// rounds is 10, 12 or 14; in and out may be the same pointer.
using BlocksFunction = void (*)(const std::uint32_t* roundKeys, int rounds, const Byte* in,
                                Byte* out, std::size_t n);

struct BlockBackend {
  std::string_view name;
  BlocksFunction encrypt;
  BlocksFunction decrypt;
};

// The hardware back-end in use, or nullptr for the table path.
const BlockBackend* Active();

// The name of the path in use: "vaes", "aes-ni" or "portable".
std::string_view ActiveName();

// What HOSTSEAL_CPU asks for, read now.
struct PathRequest {
  enum class Kind {
    kNone,         // unset or empty: the processor's features choose
    kAvailable,    // a path this processor runs; it is chosen
    kUnavailable,  // a path this processor lacks the instructions for
    kUnknown,      // a value that names no path
  };
  Kind kind = Kind::kNone;
  std::string value;  // the variable's value, as set
};
PathRequest RequestedPath();

// The names HOSTSEAL_CPU accepts, for messages: "portable, aes-ni, vaes".
std::string_view PathNames();

// Makes the named path the one in use ("vaes", "aes-ni", "portable"); false, and nothing
// changed, when this processor cannot run it. For tests and benchmarks.
bool Select(std::string_view name);

}  // namespace hostseal::cipher_backend
