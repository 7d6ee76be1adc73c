// The chunk layout of a cipher-text file: how a plain file of L bytes, or a cipher-text file
// of C bytes, splits into 4,000,000-byte chunks and one last chunk.
//
// A cipher-text file is 16 * (L / 16) + 16 bytes: the plain file in whole blocks, then one
// block with the last L mod 16 plain bytes, zero bytes, and L mod 16 in its last byte. The
// chunks are the same in both files (chunk k starts at k * 4,000,000 in either), so each chunk
// can be transformed on its own. Lengths are 64-bit; only a cipher length that no file offset
// can hold is refused.
#pragma once

#include <cstdint>
#include <optional>

namespace hostseal {

inline constexpr std::uint64_t kFileChunkSize = 4'000'000;  // 250,000 blocks

struct FileChunkPlan {
  std::uint64_t cipherLength = 0;  // a non-zero multiple of 16
  std::uint64_t chunkCount = 0;    // full chunks and the last one
  std::uint64_t lastOffset = 0;    // where the last chunk starts, in both files
  std::uint64_t lastLength = 0;    // cipher bytes of the last chunk, 16 to kFileChunkSize
};

// Raises the overflow error (6) when the cipher length would not fit in a file offset.
FileChunkPlan PlanFileEncryption(std::uint64_t plainLength);

// No plan (the file is refused) when the length is 0 or not a multiple of 16.
std::optional<FileChunkPlan> PlanFileDecryption(std::uint64_t cipherLength);

}  // namespace hostseal
