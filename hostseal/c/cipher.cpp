// The cipher handle of the C interface: keys, single blocks and the byte-array format, from
// the caller's buffer straight into the caller's buffer.
#include <algorithm>
#include <cstdint>
#include <cstring>
#include <span>
#include <vector>

#include "hostseal/c/cipher_handle.hpp"
#include "hostseal/c/output_buffer.hpp"
#include "hostseal/c/status.hpp"
#include "hostseal/c/utf8_input.hpp"
#include "hostseal/cipher/array_framing.hpp"
#include "hostseal/cipher/pass_phrase.hpp"
#include "hostseal/common/secure_wipe.hpp"
#include "hostseal/operations/key_choice.hpp"
#include "hostseal/text/code_page.hpp"

namespace hostseal::c_interface {

namespace {

constexpr std::size_t kBlock = 16;
constexpr std::size_t kKeyBufferSize = 32;  // a pass phrase is cut or filled to this

// Raises the cipher's own error for a key length other than 128, 192 or 256 bits.
void RequireKeyBits(std::int32_t bits) {
  if (bits != 128 && bits != 192 && bits != 256) {
    throw RaisedError(HOSTSEAL_CIPHER_ERROR, "cRijndael.SetCipherKey - Illegal KeyBits Value");
  }
}

// The key bits of a pass phrase's bytes: cut after byte 31 or filled with zero bytes.
void SetKeyFromPhraseBytes(cRijndael& cipher, const std::vector<Byte>& phrase,
                           std::int32_t keyBits) {
  ByteArray key(std::vector<Byte>(kKeyBufferSize, 0));
  const SecretBytesGuard keyGuard(key.Bytes());
  std::copy_n(phrase.begin(), std::min(phrase.size(), kKeyBufferSize), key.Bytes().begin());
  cipher.SetCipherKey(key, keyBits);
}

// True when the two ranges share a byte without starting at the same address.
bool OverlapsApart(const void* a, std::size_t aLength, const void* b, std::size_t bLength) {
  const auto x = reinterpret_cast<std::uintptr_t>(a);
  const auto y = reinterpret_cast<std::uintptr_t>(b);
  if (x == y || aLength == 0 || bLength == 0) return false;
  return x < y ? y - x < aLength : x - y < bLength;
}

hostseal_status RefuseOverlap() {
  return Fail(HOSTSEAL_INVALID_ARGUMENT,
              "Invalid procedure call or argument: in and out overlap without being the same "
              "buffer");
}

// The room for `needed` bytes at out (the buffer rule), and out either in itself or apart.
hostseal_status PrepareOutput(const uint8_t* in, std::size_t len, std::size_t needed, uint8_t* out,
                              std::size_t* out_len) {
  if (const hostseal_status room = RequireRoom(needed, out, out_len); room != HOSTSEAL_OK) {
    return room;
  }
  return OverlapsApart(in, len, out, needed) ? RefuseOverlap() : HOSTSEAL_OK;
}

// The byte-array format either way. Decrypting, the length field tells the plain length
// before anything is written (PlanDecrypt), so that the buffer rule holds for it too.
hostseal_status RunArray(bool encrypt, const hostseal_cipher* cipher, std::span<const Byte> in,
                         bool lengthField, uint8_t* out, std::size_t* out_len) {
  return CallGuarded([&]() -> hostseal_status {
    HOSTSEAL_REQUIRE(cipher);
    HOSTSEAL_REQUIRE(out_len);
    if (!in.empty()) HOSTSEAL_REQUIRE(in.data());
    ArrayFraming::DecryptPlan plan{};
    std::size_t written = 0;
    if (encrypt) {
      const std::optional<std::size_t> C = ArrayFraming::CipherLength(in.size(), lengthField);
      if (!C) return Fail(HOSTSEAL_OVERFLOW, "Overflow");
      written = *C;
    } else {
      plan = ArrayFraming::PlanDecrypt(cipher->cipher, in, lengthField);
      if (plan.status == HOSTSEAL_NOT_WHOLE_BLOCKS) {
        return Fail(HOSTSEAL_NOT_WHOLE_BLOCKS, "ciphertext size not a multiple of block size");
      }
      written = plan.plainLength;
    }
    if (const hostseal_status ready = PrepareOutput(in.data(), in.size(), written, out, out_len);
        ready != HOSTSEAL_OK) {
      return ready;
    }
    if (encrypt) {
      ArrayFraming::Encrypt(cipher->cipher, in, out, lengthField);
    } else {
      ArrayFraming::Decrypt(cipher->cipher, in, out, plan);
    }
    *out_len = written;
    if (plan.status != 0) return Fail(HOSTSEAL_CIPHER_ERROR, "warning - incorrect length field");
    return HOSTSEAL_OK;
  });
}

hostseal_status RunBlock(bool encrypt, const hostseal_cipher* cipher, const uint8_t* in,
                         uint8_t* out) {
  return CallGuarded([&]() -> hostseal_status {
    HOSTSEAL_REQUIRE(cipher);
    HOSTSEAL_REQUIRE(in);
    HOSTSEAL_REQUIRE(out);
    if (OverlapsApart(in, kBlock, out, kBlock)) return RefuseOverlap();
    if (encrypt) {
      ArrayFraming::Encrypt(cipher->cipher, std::span(in, kBlock), out, false);
    } else {
      ArrayFraming::Decrypt(cipher->cipher, std::span(in, kBlock), out, {0, kBlock});
    }
    return HOSTSEAL_OK;
  });
}

}  // namespace

void SetBuiltInKey(cRijndael& cipher) {
  std::vector<Byte> phrase;
  const SecretBytesGuard phraseGuard(phrase);
  phrase.reserve(kKeyBufferSize);
  for (const char16_t c : std::u16string_view(kBuiltInPassPhrase)) {
    phrase.push_back(static_cast<Byte>(c));
  }
  SetKeyFromPhraseBytes(cipher, phrase, 128);
}

std::int32_t ResolveCodePage(std::int32_t codePage) {
  if (codePage == 0) return AnsiCodePage();
  if (!IsKnownCodePage(codePage)) {
    throw RaisedError(
        5, "Invalid procedure call or argument: unknown code page " + std::to_string(codePage));
  }
  return codePage;
}

}  // namespace hostseal::c_interface

using namespace hostseal;
using namespace hostseal::c_interface;

extern "C" {

HOSTSEAL_API hostseal_status HOSTSEAL_CALL hostseal_cipher_new(hostseal_cipher** cipher) {
  return CallGuarded([&]() -> hostseal_status {
    HOSTSEAL_REQUIRE(cipher);
    *cipher = nullptr;
    *cipher = new hostseal_cipher;
    return HOSTSEAL_OK;
  });
}

HOSTSEAL_API void HOSTSEAL_CALL hostseal_cipher_free(hostseal_cipher* cipher) {
  delete cipher;  // cRijndael's destructor wipes the round keys
}

HOSTSEAL_API hostseal_status HOSTSEAL_CALL hostseal_cipher_set_key(hostseal_cipher* cipher,
                                                                   const uint8_t* key,
                                                                   size_t key_len,
                                                                   int32_t key_bits) {
  return CallGuarded([&]() -> hostseal_status {
    HOSTSEAL_REQUIRE(cipher);
    HOSTSEAL_REQUIRE(key);
    RequireKeyBits(key_bits);
    const auto keyBytes = static_cast<std::size_t>(key_bits / 8);
    if (key_len < keyBytes) {
      return Fail(HOSTSEAL_CIPHER_ERROR,
                  "cRijndael.SetCipherKey - the key is shorter than its KeyBits say");
    }
    ByteArray copy(std::vector<Byte>(key, key + keyBytes));
    const SecretBytesGuard copyGuard(copy.Bytes());
    cipher->cipher.SetCipherKey(copy, key_bits);
    return HOSTSEAL_OK;
  });
}

HOSTSEAL_API hostseal_status HOSTSEAL_CALL hostseal_cipher_set_key_hex(hostseal_cipher* cipher,
                                                                       const char* digits) {
  return CallGuarded([&]() -> hostseal_status {
    HOSTSEAL_REQUIRE(cipher);
    const InputText text(digits, "digits");
    ByteArray key = ParseHexKey(text.Text());
    const SecretBytesGuard keyGuard(key.Bytes());
    cipher->cipher.SetCipherKey(key, static_cast<std::int32_t>(key.Size() * 8));
    return HOSTSEAL_OK;
  });
}

HOSTSEAL_API hostseal_status HOSTSEAL_CALL hostseal_cipher_set_pass_phrase(hostseal_cipher* cipher,
                                                                           const char* pass_phrase,
                                                                           int32_t code_page,
                                                                           int32_t key_bits) {
  return CallGuarded([&]() -> hostseal_status {
    HOSTSEAL_REQUIRE(cipher);
    const InputText text(pass_phrase, "pass_phrase");
    RequireKeyBits(key_bits);
    std::vector<Byte> bytes = TextToCodePageBytes(text.Text(), ResolveCodePage(code_page));
    const SecretBytesGuard bytesGuard(bytes);
    SetKeyFromPhraseBytes(cipher->cipher, bytes, key_bits);
    return HOSTSEAL_OK;
  });
}

HOSTSEAL_API hostseal_status HOSTSEAL_CALL
hostseal_cipher_set_built_in_key(hostseal_cipher* cipher) {
  return CallGuarded([&]() -> hostseal_status {
    HOSTSEAL_REQUIRE(cipher);
    SetBuiltInKey(cipher->cipher);
    return HOSTSEAL_OK;
  });
}

HOSTSEAL_API hostseal_status HOSTSEAL_CALL hostseal_cipher_encrypt_block(
    const hostseal_cipher* cipher, const uint8_t in[16], uint8_t out[16]) {
  return RunBlock(true, cipher, in, out);
}

HOSTSEAL_API hostseal_status HOSTSEAL_CALL hostseal_cipher_decrypt_block(
    const hostseal_cipher* cipher, const uint8_t in[16], uint8_t out[16]) {
  return RunBlock(false, cipher, in, out);
}

HOSTSEAL_API hostseal_status HOSTSEAL_CALL hostseal_cipher_encrypt(const hostseal_cipher* cipher,
                                                                   const uint8_t* in, size_t len,
                                                                   int length_field, uint8_t* out,
                                                                   size_t* out_len) {
  return RunArray(true, cipher, std::span(in, len), length_field != 0, out, out_len);
}

HOSTSEAL_API hostseal_status HOSTSEAL_CALL hostseal_cipher_decrypt(const hostseal_cipher* cipher,
                                                                   const uint8_t* in, size_t len,
                                                                   int length_field, uint8_t* out,
                                                                   size_t* out_len) {
  return RunArray(false, cipher, std::span(in, len), length_field != 0, out, out_len);
}

}  // extern "C"
