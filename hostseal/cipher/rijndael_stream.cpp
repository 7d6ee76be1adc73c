// The cipher-file framing over streams: whole chunks go out as soon as they are read, and the
// length field is written, or read, at the end of the stream.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <optional>

#include "hostseal/cipher/file_chunk_plan.hpp"
#include "hostseal/cipher/length_field.hpp"
#include "hostseal/cipher/rijndael.hpp"
#include "hostseal/common/secure_wipe.hpp"
#include "hostseal/fs/byte_stream.hpp"

namespace hostseal {

namespace {

constexpr auto kBlock = static_cast<std::size_t>(cRijndael::kBlockSize);
constexpr auto kChunk = static_cast<std::size_t>(kFileChunkSize);

// Reads until the buffer holds n bytes or the stream ends; returns how many it holds.
std::size_t Fill(ByteSource& source, Byte* buffer, std::size_t have, std::size_t n) {
  while (have < n) {
    const std::size_t got = source.ReadSome(buffer + have, n - have);
    if (got == 0) break;
    have += got;
  }
  return have;
}

}  // namespace

std::int32_t cRijndael::StreamEncrypt(ByteSource& plain, ByteSink& cipher,
                                      const StreamProgress& progress) const {
  const WipedBuffer buffer(kChunk);
  std::uint64_t done = 0;
  for (;;) {
    const std::size_t got = Fill(plain, buffer.Get(), 0, kChunk);
    done += got;
    if (got == kChunk) {
      // A full chunk is whole blocks and framed as it stands; the chunk after it is the last.
      EncryptBlocks(buffer.Get(), buffer.Get(), kChunk / kBlock);
      cipher.Write(buffer.Get(), kChunk);
      if (progress) progress(done);
      continue;
    }
    // The last chunk: the rest, zero bytes, and the plain length mod 16 in its last byte.
    const std::size_t R = got / kBlock * kBlock + kBlock;
    std::fill(buffer.Get() + got, buffer.Get() + R, Byte{0});
    buffer.Get()[R - 1] = static_cast<Byte>(got % kBlock);
    EncryptBlocks(buffer.Get(), buffer.Get(), R / kBlock);
    cipher.Write(buffer.Get(), R);
    if (progress) progress(done);
    return 0;
  }
}

std::int32_t cRijndael::StreamDecrypt(ByteSink& plain, ByteSource& cipher,
                                      const StreamProgress& progress) const {
  // A chunk and the block after it: whatever arrives last stays in the buffer until the end.
  const WipedBuffer buffer(kChunk + kBlock);
  std::size_t have = 0;
  std::uint64_t done = 0;
  for (;;) {
    have = Fill(cipher, buffer.Get(), have, kChunk + kBlock);
    if (have < kChunk + kBlock) break;
    DecryptBlocks(buffer.Get(), buffer.Get(), kChunk / kBlock);
    plain.Write(buffer.Get(), kChunk);
    std::memmove(buffer.Get(), buffer.Get() + kChunk, kBlock);
    have = kBlock;
    done += kChunk;
    if (progress) progress(done);
  }
  done += have;
  if (done == 0 || have % kBlock != 0) {
    ShowMessage(u"File Size Error - ciphertext file not a multiple of block size");
    return 1;
  }
  DecryptBlocks(buffer.Get(), buffer.Get(), have / kBlock);
  const std::optional<std::size_t> n = PlainBytesOfLastBlock(buffer.Get() + have - kBlock);
  const std::size_t K = n ? have - kBlock + *n : have;
  if (K > 0) plain.Write(buffer.Get(), K);
  if (progress) progress(done);
  if (!n) {
    ShowMessage(u"warning - incorrect length field in decrypted file.\r\nWrong key or keysize?");
    return 2;
  }
  return 0;
}

}  // namespace hostseal
