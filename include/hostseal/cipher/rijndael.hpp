// cRijndael: the AES block cipher of FIPS-197 (16-byte blocks, 128/192/256-bit keys) and the
// framings built on it: byte arrays in electronic codebook mode with zero padding and an
// optional trailing length byte, whole files in chunks, and text as hexadecimal cipher text
// under a built-in pass phrase.
//
// Every object builds its own lookup tables in its constructor. Everything else runs under the
// key that was set last. Misuse of the interface and file-system failures are raised as
// RaisedError; problems with the data are shown through the object's MessageSink and reported
// by the return value.
//
// The file layout follows the cipher's layers:
//   rijndael_tables.cpp        the constructor: S-boxes, round tables, round constants
//   rijndael_key_schedule.cpp  SetCipherKey, BuildDecryptionKeys
//   rijndael_key_phrase.cpp    SetCipherKeyString
//   rijndael_block.cpp         BlockEncrypt, BlockDecrypt and the many-block routine
//   rijndael_array.cpp         ArrayEncrypt, ArrayDecrypt
//   rijndael_text.cpp          Encrypt, Decrypt and the hexadecimal text
//   rijndael_file.cpp          FileEncrypt, FileDecrypt
//   rijndael_stream.cpp        StreamEncrypt, StreamDecrypt
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <functional>
#include <string>
#include <string_view>

#include "hostseal/common/byte_array.hpp"
#include "hostseal/common/message_sink.hpp"

namespace hostseal {

class ByteSource;
class ByteSink;

class cRijndael {
 public:
  static constexpr std::int32_t kBlockSize = 16;

  // The path that transforms blocks in this process: "vaes", "aes-ni" (the processor's AES
  // instructions) or "portable" (lookup tables; HOSTSEAL_CPU=portable forces it).
  static std::string_view Provider();

  cRijndael();  // messages go to the process default sink (standard error)
  explicit cRijndael(MessageSink& sink);

  // A copy carries the key and wipes its own round keys when it goes; assignment overwrites
  // every round-key word of the target.
  cRijndael(const cRijndael&) = default;
  cRijndael& operator=(const cRijndael&) = default;
  ~cRijndael();  // wipes the round keys

  std::u16string Encrypt(const std::u16string& strInfo);
  std::u16string Decrypt(const std::u16string& strInfo);

  std::int32_t SetCipherKey(const ByteArray& pass, std::int32_t KeyBits);
  std::int32_t SetCipherKeyString(const std::u16string& PassPhrase, std::int32_t KeyBits);

  void BlockEncrypt(const ByteArray& plaintext, ByteArray& ciphertext, std::int32_t p,
                    std::int32_t q) const;
  void BlockDecrypt(ByteArray& plaintext, const ByteArray& ciphertext, std::int32_t p,
                    std::int32_t q) const;

  std::int32_t ArrayEncrypt(const ByteArray& plaintext, ByteArray& ciphertext,
                            std::int32_t appendsize) const;
  std::int32_t ArrayDecrypt(ByteArray& plaintext, const ByteArray& ciphertext,
                            std::int32_t appendsize) const;

  // FileDecrypt: 0 success, 1 refused for its size, 2 wrong key or key size: the last byte is
  // 16 or more, or a padding byte before it is not zero (a target that existed keeps its former
  // content; a new one receives every decrypted byte).
  std::int32_t FileEncrypt(const std::u16string& PlaintextFileName,
                           const std::u16string& CiphertextFileName) const;
  std::int32_t FileDecrypt(const std::u16string& PlaintextFileName,
                           const std::u16string& CiphertextFileName) const;

  // Bytes of the input file done and in all: called on the caller's thread at most once per
  // chunk, with growing values, and once more with done == total when the output is in place.
  // An input whose length is not known up front (files of /proc and /sys report 0) is read to
  // its end; its progress is reported once, at the end.
  // A callback that throws before that last call abandons the operation; the output file
  // then keeps its former content.
  using FileProgress = std::function<void(std::uint64_t done, std::uint64_t total)>;
  std::int32_t FileEncrypt(const std::filesystem::path& plainFile,
                           const std::filesystem::path& cipherFile,
                           const FileProgress& progress) const;
  std::int32_t FileDecrypt(const std::filesystem::path& plainFile,
                           const std::filesystem::path& cipherFile,
                           const FileProgress& progress) const;

  // The cipher-file framing over streams whose length is known only at their end (pipes,
  // standard input and output): exactly the bytes that FileEncrypt writes and FileDecrypt
  // reads, in bounded memory. Decryption holds the last block back until the end of input. A
  // stream cannot be taken back: when the cipher stream turns out empty or not a multiple of
  // 16 bytes, StreamDecrypt shows the size message and returns 1 after writing the blocks
  // before; a length field out of range, or padding that is not zero, shows the wrong-key warning
  // and returns 2 after writing every decrypted byte. progress(done) gets the input bytes consumed,
  // at most once per chunk; a callback that throws stops the stream.
  using StreamProgress = std::function<void(std::uint64_t done)>;
  std::int32_t StreamEncrypt(ByteSource& plain, ByteSink& cipher,
                             const StreamProgress& progress) const;
  std::int32_t StreamDecrypt(ByteSink& plain, ByteSource& cipher,
                             const StreamProgress& progress) const;

 private:
  using Word = std::uint32_t;  // a cipher word; byte 0 of four packed bytes is least significant
  using Table = std::array<Word, 256>;

  friend struct cRijndaelTestAccess;  // lets the tests read tables and round keys
  friend struct ArrayFraming;         // the byte-array format between callers' buffers

  void BuildDecryptionKeys(std::int32_t Nb);

  // Transforms n consecutive 16-byte blocks from in to out under the current key. in and out
  // may be the same pointer (in place); each block is read whole before it is written.
  void EncryptBlocks(const Byte* in, Byte* out, std::size_t n) const;
  void DecryptBlocks(const Byte* in, Byte* out, std::size_t n) const;

  void ShowMessage(std::u16string_view text) const;

  ByteArray StringToKey(const std::u16string& text) const;
  static std::u16string BytesToHex(const ByteArray& bytes, std::int32_t count,
                                   std::int32_t groupSize);
  static std::int32_t HexToBytes(const std::u16string& text, ByteArray& bytes);

  MessageSink* m_Sink = nullptr;  // nullptr: the process default at the time of showing

  // Tables, built by the constructor and only read afterwards.
  Table fwdTable0{}, fwdTable1{}, fwdTable2{}, fwdTable3{}, fwdSBox{};
  Table invTable0{}, invTable1{}, invTable2{}, invTable3{}, invSBox{};
  std::array<Word, 10> roundConst{};

  // Keyed state, written only by SetCipherKey (and wiped by the destructor). Words beyond
  // the current schedule are zero: a shorter key clears what a longer one left there.
  std::int32_t numRounds = 0;
  std::array<Word, 60> encRoundKey{};
  std::array<Word, 60> decRoundKey{};
};

}  // namespace hostseal
