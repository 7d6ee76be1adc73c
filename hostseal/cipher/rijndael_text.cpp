// The text interface: text to hexadecimal cipher text under the built-in pass phrase, and back.
#include <algorithm>
#include <cstdint>
#include <limits>
#include <span>
#include <string>
#include <utility>
#include <vector>

#include "hostseal/cipher/hex_text.hpp"
#include "hostseal/cipher/pass_phrase.hpp"
#include "hostseal/cipher/rijndael.hpp"
#include "hostseal/common/raised_error.hpp"
#include "hostseal/common/secure_wipe.hpp"
#include "hostseal/text/code_page.hpp"

namespace hostseal {

namespace {

constexpr std::int32_t kTextKeyBits = 128;
constexpr std::int32_t kHexGroupSize = 16;  // bytes per group of 32 digits
constexpr std::size_t kKeyBufferSize = 32;

}  // namespace

std::u16string cRijndael::Encrypt(const std::u16string& strInfo) {
  ByteArray key = StringToKey(kBuiltInPassPhrase);
  const SecretBytesGuard keyGuard(key.Bytes());
  const ByteArray plain(TextToAnsiBytes(strInfo));
  SetCipherKey(key, kTextKeyBits);
  // Without the length field an empty text has no block at all and gives empty hex text.
  ByteArray cipher;
  ArrayEncrypt(plain, cipher, 0);
  if (cipher.Size() > static_cast<std::size_t>(std::numeric_limits<std::int32_t>::max())) {
    throw RaisedError::Overflow();
  }
  return BytesToHex(cipher, static_cast<std::int32_t>(cipher.Size()), kHexGroupSize);
}

std::u16string cRijndael::Decrypt(const std::u16string& strInfo) {
  std::u16string result;
  try {
    ByteArray key = StringToKey(kBuiltInPassPhrase);
    const SecretBytesGuard keyGuard(key.Bytes());
    ByteArray cipher;
    if (HexToBytes(strInfo, cipher) == 0) {
      // The key stays as the caller left it.
      ShowMessage(u"Text not Hex data");
      return result;
    }
    SetCipherKey(key, kTextKeyBits);
    ByteArray plain;
    if (ArrayDecrypt(plain, cipher, 0) != 0) return result;
    result = AnsiBytesToText(plain.Bytes());
    // The zero padding of the last block ends the text.
    const std::size_t zero = result.find(u'\0');
    if (zero != std::u16string::npos) result.resize(zero);
  } catch (...) {
    // Any failure on the way gives the result as it stands: empty text.
  }
  return result;
}

ByteArray cRijndael::StringToKey(const std::u16string& text) const {
  std::vector<Byte> bytes = TextToAnsiBytes(text);
  const SecretBytesGuard bytesGuard(bytes);
  // Cut after byte 31, or filled up with zero bytes; copied into a buffer of its own, since a
  // resize could move the bytes and free the old buffer unwiped.
  std::vector<Byte> key(kKeyBufferSize, 0);
  std::copy_n(bytes.begin(), std::min(bytes.size(), kKeyBufferSize), key.begin());
  return ByteArray(std::move(key));
}

std::u16string cRijndael::BytesToHex(const ByteArray& bytes, std::int32_t count,
                                     std::int32_t groupSize) {
  if (bytes.FirstIndex() != 0 || count <= 0) return {};
  if (static_cast<std::size_t>(count) > bytes.Size()) throw RaisedError::SubscriptOutOfRange();
  // A group size below 1 has no groups to separate: the digits run on.
  const std::size_t group = groupSize > 0 ? static_cast<std::size_t>(groupSize) : 0;
  return BytesToHexText(std::span(bytes.Bytes().data(), static_cast<std::size_t>(count)), group);
}

std::int32_t cRijndael::HexToBytes(const std::u16string& text, ByteArray& bytes) {
  std::vector<Byte> out = HexTextToBytes(text);
  if (out.size() > static_cast<std::size_t>(std::numeric_limits<std::int32_t>::max())) {
    throw RaisedError::Overflow();
  }
  const auto n = static_cast<std::int32_t>(out.size());
  bytes = ByteArray(std::move(out));
  return n;
}

}  // namespace hostseal
