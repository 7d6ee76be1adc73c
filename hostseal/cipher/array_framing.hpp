// ArrayFraming: the byte-array format straight between callers' buffers, without a ByteArray
// on either side. cRijndael::ArrayEncrypt and ArrayDecrypt frame through it, and so does the C
// interface, which encrypts from the caller's memory into the caller's memory.
//
// Encryption: blocks of 16 bytes, the last one filled with zero bytes and, with the length
// field, ending in the plain length mod 16 (so a plain text of whole blocks gains one block).
// Decryption reads the last block first, so that the plain length is known before anything is
// written.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>

#include "hostseal/cipher/rijndael.hpp"

namespace hostseal {

struct ArrayFraming {
  // The cipher length of a plain text of plainLength bytes; std::nullopt when it does not fit
  // a size_t.
  static std::optional<std::size_t> CipherLength(std::size_t plainLength, bool lengthField);

  // Encrypts plain into cipher, which holds exactly CipherLength(plain.size()) bytes. The two
  // may start at the same address (in place); they must not overlap otherwise.
  static void Encrypt(const cRijndael& cipher, std::span<const Byte> plain, Byte* out,
                      bool lengthField);

  // What decrypting a cipher text gives, before anything is written.
  struct DecryptPlan {
    std::int32_t status = 0;      // 0; -1 not whole blocks; 1 the length field is 16 or more
    std::size_t plainLength = 0;  // the bytes Decrypt writes (all of them under status 1)
  };
  static DecryptPlan PlanDecrypt(const cRijndael& cipher, std::span<const Byte> in,
                                 bool lengthField);

  // Decrypts in into out (room for plan.plainLength bytes) after PlanDecrypt gave status 0 or
  // 1. in and out may start at the same address; they must not overlap otherwise.
  static void Decrypt(const cRijndael& cipher, std::span<const Byte> in, Byte* out,
                      const DecryptPlan& plan);
};

}  // namespace hostseal
