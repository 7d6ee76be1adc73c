// The last block of a cipher file, decrypted: the plain length mod 16 in its last byte, and
// between the last plain byte and that byte the zero bytes the writer pads with.
//
// This is the only sign of a wrong key or key size the format has. A last byte of 16 or more
// alone lets a random wrong key through 16 times in 256; with the zero bytes checked too it
// passes only when all of them come out zero, about once in 255 tries (the sum over n = 0..15
// of 256^-(16-n), nearly all of it the case n = 15 with no padding byte).
#pragma once

#include <cstddef>
#include <optional>

#include "hostseal/common/byte_array.hpp"

namespace hostseal {

// The number of plain bytes (0 to 15) in the decrypted last block, or nothing when its last
// byte is 16 or more or a padding byte is not zero: a wrong key, a wrong key size or a damaged
// file.
std::optional<std::size_t> PlainBytesOfLastBlock(const Byte* block) noexcept;

}  // namespace hostseal
