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

void TextEncryptStream::Keep(std::span<const Byte> bytes, bool utf8) {
  if (m_Runs.empty() || m_Runs.back().utf8 != utf8) m_Runs.push_back({utf8, 0});
  m_Runs.back().size += bytes.size();
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

void TextEncryptStream::KeepPiece(std::span<const Byte> utf8) {
  // Whole characters only, so the text never ends inside a surrogate pair.
  m_Bytes.clear();
  AppendCodePageBytes(m_Text, m_CodePage, m_Bytes);
  m_Text.clear();
  m_PlainSize += m_Bytes.size();
  // Code-page bytes up to twice the UTF-8 (GB18030 gives four bytes for a two-byte character)
  // are kept; more (ill-formed bytes, each a U+FFFD) are made again from the UTF-8 at the end.
  if (m_Bytes.size() / 2 <= utf8.size()) {
    Keep(m_Bytes, false);
  } else {
    Keep(utf8, true);
  }
}

void TextEncryptStream::Add(std::string_view utf8) {
  m_Pending.insert(m_Pending.end(), utf8.begin(), utf8.end());
  const std::size_t taken = AppendCodePageText(m_Pending, kUtf8CodePage, false, m_Text);
  KeepPiece(std::span<const Byte>(m_Pending).first(taken));
  m_Pending.erase(m_Pending.begin(), m_Pending.begin() + static_cast<std::ptrdiff_t>(taken));
}

void TextEncryptStream::Finish(const Utf8Writer& write) {
  AppendCodePageText(m_Pending, kUtf8CodePage, true, m_Text);
  KeepPiece(m_Pending);
  m_Pending = std::vector<Byte>();
  m_Text = std::u16string();
  if ((m_PlainSize + kHexGroupSize - 1) / kHexGroupSize * kHexGroupSize > kIntMax) {
    throw RaisedError::Overflow();
  }
  m_Cipher.SetCipherKeyString(kBuiltInPassPhrase, kTextKeyBits);

  // The code-page bytes again in order, encrypted and written a piece of kPiece at a time;
  // only the text's last piece is short.
  std::vector<Byte> plain;
  plain.reserve(kPiece);
  std::string hex;
  bool first = true;
  const auto writePiece = [&] {
    ByteArray cipher;
    m_Cipher.ArrayEncrypt(ByteArray(std::exchange(plain, {})), cipher, 0);
    plain.reserve(kPiece);
    const std::u16string digits = BytesToHexText(cipher.Bytes(), kHexGroupSize);
    const std::size_t separator = first ? 0 : 2;  // the two spaces before this piece's first group
    hex.assign(separator + digits.size(), ' ');
    std::transform(digits.begin(), digits.end(),
                   hex.begin() + static_cast<std::ptrdiff_t>(separator),
                   [](char16_t c) { return static_cast<char>(c); });  // all ASCII
    write(hex);
    first = false;
  };
  const auto add = [&](std::span<const Byte> bytes) {
    while (!bytes.empty()) {
      const std::size_t size = std::min(bytes.size(), kPiece - plain.size());
      plain.insert(plain.end(), bytes.begin(), bytes.begin() + static_cast<std::ptrdiff_t>(size));
      bytes = bytes.subspan(size);
      if (plain.size() == kPiece) writePiece();
    }
  };
  // A run of UTF-8 holds whole characters, but a character may span two blocks.
  std::vector<Byte> utf8;
  std::size_t block = 0, at = 0;
  for (const Run& run : m_Runs) {
    for (std::size_t left = run.size; left != 0;) {
      const std::size_t size = std::min({left, m_Blocks[block].size() - at, kPiece});
      const std::span<const Byte> bytes(m_Blocks[block].data() + at, size);
      left -= size;
      at += size;
      if (!run.utf8) {
        add(bytes);
      } else {
        utf8.insert(utf8.end(), bytes.begin(), bytes.end());
        const std::size_t taken = AppendCodePageText(utf8, kUtf8CodePage, left == 0, m_Text);
        utf8.erase(utf8.begin(), utf8.begin() + static_cast<std::ptrdiff_t>(taken));
        m_Bytes.clear();
        AppendCodePageBytes(m_Text, m_CodePage, m_Bytes);
        m_Text.clear();
        add(m_Bytes);
      }
      if (at == m_Blocks[block].size()) {
        m_Blocks[block] = std::vector<Byte>();
        ++block;
        at = 0;
      }
    }
  }
  if (!plain.empty()) writePiece();
  m_Blocks.clear();
  m_Runs.clear();
  m_Bytes = std::vector<Byte>();
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
