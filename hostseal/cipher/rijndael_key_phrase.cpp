// SetCipherKeyString: a pass phrase becomes a key through the bytes of the ANSI code page, so
// it needs the code-page layer; the pass-phrase and key bytes are wiped.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <vector>

#include "hostseal/cipher/rijndael.hpp"
#include "hostseal/common/secure_wipe.hpp"
#include "hostseal/text/code_page.hpp"

namespace hostseal {

std::int32_t cRijndael::SetCipherKeyString(const std::u16string& PassPhrase, std::int32_t KeyBits) {
  std::vector<Byte> phrase = TextToAnsiBytes(PassPhrase);
  const SecretBytesGuard phraseGuard(phrase);
  // Cut after byte 31, or filled up with zero bytes. A new buffer rather than a resize, which
  // could move the pass-phrase bytes and free the old buffer unwiped.
  ByteArray key(std::vector<Byte>(32, 0));
  const SecretBytesGuard keyGuard(key.Bytes());
  std::copy_n(phrase.begin(), std::min<std::size_t>(phrase.size(), 32), key.Bytes().begin());
  return SetCipherKey(key, KeyBits);
}

}  // namespace hostseal
