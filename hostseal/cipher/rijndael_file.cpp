// File encryption: the byte-array framing with the length field over a whole file, produced
// and read in 4,000,000-byte chunks with a bounded number of chunk buffers.
//
// The output never overwrites anything until it is complete: ReplacingFile builds it in a
// private temporary file and puts it in place only at the end, so a failure at any point
// leaves an existing target as it was, and the same path may be given for both files: the
// input is closed after its last read and check, before the output takes its place.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <optional>

#include "hostseal/cipher/chunk_runner.hpp"
#include "hostseal/cipher/file_chunk_plan.hpp"
#include "hostseal/cipher/length_field.hpp"
#include "hostseal/cipher/rijndael.hpp"
#include "hostseal/fs/file_name.hpp"
#include "hostseal/fs/file_streams.hpp"
#include "hostseal/fs/input_file.hpp"
#include "hostseal/fs/replacing_file.hpp"

namespace hostseal {

namespace {

constexpr auto kBlock = static_cast<std::size_t>(cRijndael::kBlockSize);
constexpr auto kChunk = static_cast<std::size_t>(kFileChunkSize);

}  // namespace

std::int32_t cRijndael::FileEncrypt(const std::u16string& PlaintextFileName,
                                    const std::u16string& CiphertextFileName) const {
  return FileEncrypt(FilePathFromText(PlaintextFileName), FilePathFromText(CiphertextFileName), {});
}

std::int32_t cRijndael::FileDecrypt(const std::u16string& PlaintextFileName,
                                    const std::u16string& CiphertextFileName) const {
  return FileDecrypt(FilePathFromText(PlaintextFileName), FilePathFromText(CiphertextFileName), {});
}

std::int32_t cRijndael::FileEncrypt(const std::filesystem::path& plainFile,
                                    const std::filesystem::path& cipherFile,
                                    const FileProgress& progress) const {
  InputFile input(plainFile);
  const std::uint64_t L = input.Size();
  const FileChunkPlan plan = PlanFileEncryption(L);
  ReplacingFile output(cipherFile, input.Permissions());

  if (L == 0) {
    // Empty, or a pseudo file whose length is known only at its end: framed as a stream.
    FileSource source(input);
    FileSink sink(output);
    StreamEncrypt(source, sink, {});
    input.RequireUnchanged();
    input.Close();
    output.Commit();
    if (progress) progress(source.Offset(), source.Offset());
    return 0;
  }

  RunChunks(
      plan.chunkCount, kChunk,
      [&](std::uint64_t index, Byte* buffer) {
        const std::uint64_t offset = index * kFileChunkSize;
        if (offset != plan.lastOffset) {
          input.ReadAt(buffer, kChunk, offset);
          EncryptBlocks(buffer, buffer, kChunk / kBlock);
          output.WriteAt(buffer, kChunk, offset);
          return;
        }
        // The last chunk: the rest of the file, zero bytes, and L mod 16 in its last byte.
        // The plain bytes never reach that byte: there are at most R - 1 of them.
        const auto R = static_cast<std::size_t>(plan.lastLength);
        const auto plainBytes = static_cast<std::size_t>(L - offset);
        input.ReadAt(buffer, plainBytes, offset);
        std::fill(buffer + plainBytes, buffer + R, Byte{0});
        buffer[R - 1] = static_cast<Byte>(L % kBlock);
        EncryptBlocks(buffer, buffer, R / kBlock);
        output.WriteAt(buffer, R, offset);
      },
      [&](std::uint64_t done) {
        if (progress) progress(done * kFileChunkSize, L);
      });

  input.RequireUnchanged();
  input.Close();
  output.Commit();
  if (progress) progress(L, L);
  return 0;
}

std::int32_t cRijndael::FileDecrypt(const std::filesystem::path& plainFile,
                                    const std::filesystem::path& cipherFile,
                                    const FileProgress& progress) const {
  InputFile input(cipherFile);
  const std::uint64_t C = input.Size();
  const std::optional<FileChunkPlan> plan = PlanFileDecryption(C);
  if (!plan) {
    ShowMessage(u"File Size Error - ciphertext file not a multiple of block size");
    return 1;
  }
  ReplacingFile output(plainFile, input.Permissions());

  // Set by whichever thread decrypts the last chunk; read only after all chunks are done.
  bool lengthFieldValid = true;
  RunChunks(
      plan->chunkCount, kChunk,
      [&](std::uint64_t index, Byte* buffer) {
        const std::uint64_t offset = index * kFileChunkSize;
        const bool last = offset == plan->lastOffset;
        const auto R = last ? static_cast<std::size_t>(plan->lastLength) : kChunk;
        input.ReadAt(buffer, R, offset);
        DecryptBlocks(buffer, buffer, R / kBlock);
        std::size_t K = R;
        if (last) {
          // The length field and the zero bytes before it are all a wrong key can be known
          // by; when they do not fit, the whole decrypted chunk is kept.
          const std::optional<std::size_t> n = PlainBytesOfLastBlock(buffer + R - kBlock);
          if (n) {
            K = R - kBlock + *n;
          } else {
            lengthFieldValid = false;
          }
        }
        if (K > 0) output.WriteAt(buffer, K, offset);
      },
      [&](std::uint64_t done) {
        if (progress) progress(done * kFileChunkSize, C);
      });

  input.RequireUnchanged();
  input.Close();
  // Decrypted under a wrong key, the result is noise: it must not take the place of a file
  // that was there (perhaps the only copy, perhaps the cipher file itself). A new file still
  // receives every decrypted byte, for whoever wants to look at them.
  if (lengthFieldValid || !output.TargetExisted()) output.Commit();
  if (progress) progress(C, C);
  if (!lengthFieldValid) {
    ShowMessage(u"warning - incorrect length field in decrypted file.\r\nWrong key or keysize?");
    return 2;
  }
  return 0;
}

}  // namespace hostseal
