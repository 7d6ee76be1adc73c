// Encrypt and Decrypt of the text interface (rijndael_text.cpp) for texts that arrive and
// leave in pieces, as the command line reads standard input and writes standard output.
//
// The key, the bytes and the text are exactly those of cRijndael::Encrypt and Decrypt, but no
// whole copy of the text is held as UTF-16 or as hexadecimal text. The encryptor keeps each
// piece of the text once, in blocks of 1 MiB: as its code-page bytes where they are no more
// than twice its UTF-8 (every code page for well-formed text; GB18030 reaches twice), else as
// the UTF-8 itself, converted again at the end (ill-formed bytes, each a U+FFFD of three bytes
// in UTF-8 and four in GB18030), so that it never holds more than twice the text's UTF-8. It writes
// the hexadecimal text 64 KiB of cipher bytes at a time: ECB turns every 16-byte block on its own,
// zero padding only touches the last one, and a piece of whole groups ends where the two spaces
// before the next group go. The decryptor keeps the cipher bytes and then their plain bytes (each
// about half the hexadecimal text) and writes the text as UTF-8 a piece at a time, up to its first
// U+0000.
#pragma once

#include <cstdint>
#include <functional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "hostseal/cipher/hex_text.hpp"
#include "hostseal/cipher/rijndael.hpp"
#include "hostseal/common/byte_array.hpp"

namespace hostseal {

// Receives the output, UTF-8, a piece at a time.
using Utf8Writer = std::function<void(std::string_view)>;

class TextEncryptStream {
 public:
  // Reads the code page in force now (raising as Encrypt does for an unknown one) and keeps
  // it for the whole text.
  explicit TextEncryptStream(cRijndael& cipher);

  // The next piece of the UTF-8 text; a piece may end inside a character.
  void Add(std::string_view utf8);

  // Sets the built-in key on the cipher and writes the hexadecimal text that Encrypt returns
  // for the whole text. Raises RaisedError::Overflow, having written nothing, where Encrypt
  // raises it.
  void Finish(const Utf8Writer& write);

 private:
  // A run of kept bytes of one kind: code-page bytes, or UTF-8 of whole characters.
  struct Run {
    bool utf8;
    std::size_t size;
  };

  cRijndael& m_Cipher;
  std::int32_t m_CodePage;
  std::vector<Byte> m_Pending;  // UTF-8 of a character cut off at the end of a piece
  std::u16string m_Text;        // one piece of the text at a time
  std::vector<Byte> m_Bytes;    // its code-page bytes
  // The kept bytes, in blocks of 1 MiB (the last one filling up): a block list never copies
  // what it holds, where one growing array would briefly hold it twice.
  std::vector<std::vector<Byte>> m_Blocks;
  std::vector<Run> m_Runs;
  std::size_t m_PlainSize = 0;  // code-page bytes of the whole text

  void Keep(std::span<const Byte> bytes, bool utf8);
  void KeepPiece(std::span<const Byte> utf8);
};

class TextDecryptStream {
 public:
  explicit TextDecryptStream(cRijndael& cipher) : m_Cipher(cipher) {}

  // The next piece of the hexadecimal text, as UTF-8; a piece may end anywhere.
  void Add(std::string_view utf8) { m_Digits.Read(utf8, m_Bytes); }

  // Writes the text that Decrypt returns for the whole hexadecimal text, as UTF-8. Where
  // Decrypt fails it writes nothing, and the cipher shows the message Decrypt would show.
  void Finish(const Utf8Writer& write);

 private:
  cRijndael& m_Cipher;
  HexDigitReader m_Digits;
  std::vector<Byte> m_Bytes;  // the cipher bytes so far
};

}  // namespace hostseal
