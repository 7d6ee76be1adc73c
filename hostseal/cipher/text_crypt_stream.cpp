#include "hostseal/cipher/text_crypt_stream.hpp"

#include <algorithm>
#include <cstddef>
#include <limits>
#include <span>
#include <utility>

#include "hostseal/cipher/pass_phrase.hpp"
#include "hostseal/common/raised_error.hpp"
#include "hostseal/common/utf8.hpp"
#include "hostseal/text/code_page.hpp"
#include "hostseal/text/code_page_table.hpp"

namespace hostseal {

namespace {

constexpr std::int32_t kTextKeyBits = 128;
constexpr std::size_t kHexGroupSize = 16;  // bytes per group of 32 digits, as Encrypt writes
constexpr std::size_t kPiece = std::size_t{64} * 1024;  // bytes per piece; a whole number of groups
constexpr std::size_t kBlockBytes = 16 * kPiece;        // what TextEncryptStream keeps a block
static_assert(kPiece % kHexGroupSize == 0);
constexpr auto kIntMax = static_cast<std::size_t>(std::numeric_limits<std::int32_t>::max());

}  // namespace

TextEncryptStream::TextEncryptStream(cRijndael& cipher)
    : m_Cipher(cipher), m_CodePage(AnsiCodePage()) {}

void TextEncryptStream::Keep(std::span<const Byte> bytes) {
  m_PlainSize += bytes.size();
  while (!bytes.empty()) {
    if (m_Blocks.empty() || m_Blocks.back().size() == kBlockBytes) {
      m_Blocks.emplace_back().reserve(kBlockBytes);
    }
    std::vector<Byte>& block = m_Blocks.back();
    const std::size_t size = std::min(bytes.size(), kBlockBytes - block.size());
    block.insert(block.end(), bytes.begin(), bytes.begin() + static_cast<std::ptrdiff_t>(size));
    bytes = bytes.subspan(size);
  }
}

void TextEncryptStream::Add(std::string_view utf8) {
  m_Pending.insert(m_Pending.end(), utf8.begin(), utf8.end());
  const std::size_t taken = AppendCodePageText(m_Pending, kUtf8CodePage, false, m_Text);
  m_Pending.erase(m_Pending.begin(), m_Pending.begin() + static_cast<std::ptrdiff_t>(taken));
  // Whole characters only, so the text never ends inside a surrogate pair.
  m_Bytes.clear();
  AppendCodePageBytes(m_Text, m_CodePage, m_Bytes);
  m_Text.clear();
  Keep(m_Bytes);
}

void TextEncryptStream::Finish(const Utf8Writer& write) {
  AppendCodePageText(m_Pending, kUtf8CodePage, true, m_Text);
  m_Pending.clear();
  m_Bytes.clear();
  AppendCodePageBytes(m_Text, m_CodePage, m_Bytes);
  Keep(m_Bytes);
  m_Text = std::u16string();
  m_Bytes = std::vector<Byte>();
  if ((m_PlainSize + kHexGroupSize - 1) / kHexGroupSize * kHexGroupSize > kIntMax) {
    throw RaisedError::Overflow();
  }
  m_Cipher.SetCipherKeyString(kBuiltInPassPhrase, kTextKeyBits);
  std::string hex;
  bool first = true;
  for (std::vector<Byte>& block : m_Blocks) {
    // Every block but the last holds whole pieces, so only the text's last piece is short.
    for (std::size_t at = 0; at < block.size(); at += kPiece) {
      const std::size_t size = std::min(kPiece, block.size() - at);
      const ByteArray plain(
          std::vector<Byte>(block.begin() + static_cast<std::ptrdiff_t>(at),
                            block.begin() + static_cast<std::ptrdiff_t>(at + size)));
      ByteArray cipher;
      m_Cipher.ArrayEncrypt(plain, cipher, 0);
      const std::u16string digits = BytesToHexText(cipher.Bytes(), kHexGroupSize);
      hex.assign(first ? 0 : 2, ' ');  // the separator before this piece's first group
      for (const char16_t c : digits) hex.push_back(static_cast<char>(c));  // all ASCII
      write(hex);
      first = false;
    }
    block = std::vector<Byte>();
  }
  m_Blocks.clear();
}

void TextDecryptStream::Finish(const Utf8Writer& write) {
  if (m_Bytes.empty()) {
    // Decrypt's own answer to text without a digit pair: its message, no text.
    m_Cipher.Decrypt(std::u16string());
    return;
  }
  // Decrypt answers more cipher bytes than its lengths can count with empty text.
  if (m_Bytes.size() > kIntMax) return;
  const std::int32_t codePage = AnsiCodePage();
  m_Cipher.SetCipherKeyString(kBuiltInPassPhrase, kTextKeyBits);
  ByteArray plainBytes;
  {
    const ByteArray cipherBytes(std::exchange(m_Bytes, {}));
    if (m_Cipher.ArrayDecrypt(plainBytes, cipherBytes, 0) != 0) return;
  }
  const std::span<const Byte> plain(plainBytes.Bytes());
  std::u16string text;
  for (std::size_t at = 0; at < plain.size();) {
    const std::size_t size = std::min(kPiece, plain.size() - at);
    const bool last = at + size == plain.size();
    text.clear();
    at += AppendCodePageText(plain.subspan(at, size), codePage, last, text);
    // The zero padding of the last block ends the text.
    const std::size_t zero = text.find(u'\0');
    if (zero != std::u16string::npos) text.resize(zero);
    write(ToUtf8(text));
    if (zero != std::u16string::npos) break;
  }
}

}  // namespace hostseal
