#include "hostseal/cipher/file_chunk_plan.hpp"

#include <limits>

#include "hostseal/common/raised_error.hpp"

namespace hostseal {

namespace {

constexpr std::uint64_t kBlock = 16;
constexpr auto kLargestOffset =
    static_cast<std::uint64_t>(std::numeric_limits<std::int64_t>::max());

FileChunkPlan PlanChunks(std::uint64_t cipherLength) {
  FileChunkPlan plan;
  plan.cipherLength = cipherLength;
  // Every chunk but the last is full; the last holds the rest, at least one block.
  const std::uint64_t fullChunks = (cipherLength - 1) / kFileChunkSize;
  plan.chunkCount = fullChunks + 1;
  plan.lastOffset = fullChunks * kFileChunkSize;
  plan.lastLength = cipherLength - plan.lastOffset;
  return plan;
}

}  // namespace

FileChunkPlan PlanFileEncryption(std::uint64_t plainLength) {
  const std::uint64_t wholeBlocks = plainLength / kBlock * kBlock;
  if (wholeBlocks > kLargestOffset - kBlock) throw RaisedError::Overflow();
  return PlanChunks(wholeBlocks + kBlock);
}

std::optional<FileChunkPlan> PlanFileDecryption(std::uint64_t cipherLength) {
  if (cipherLength == 0 || cipherLength % kBlock != 0 || cipherLength > kLargestOffset) {
    return std::nullopt;
  }
  return PlanChunks(cipherLength);
}

}  // namespace hostseal
