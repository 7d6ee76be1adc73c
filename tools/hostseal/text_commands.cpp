#include "tools/hostseal/text_commands.hpp"

#include <functional>
#include <string_view>

#include "hostseal/cipher/rijndael.hpp"
#include "hostseal/cipher/text_crypt_stream.hpp"
#include "hostseal/common/utf8.hpp"
#include "hostseal/text/ansi_bytes.hpp"
#include "hostseal/text/code_page.hpp"
#include "hostseal/text/utf8_bytes.hpp"
#include "hostseal/ui/key_choice.hpp"
#include "tools/hostseal/exit_status.hpp"
#include "tools/hostseal/standard_streams.hpp"

namespace hostseal::cli {

namespace {

std::u16string TextOrStandardInput(const std::optional<std::string>& text) {
  return text ? FromUtf8(*text) : ReadStandardInputText();
}

// The text of the command line, or standard input a piece at a time.
void ForEachInputPiece(const std::optional<std::string>& text,
                       const std::function<void(std::string_view)>& piece) {
  if (text) {
    piece(*text);
  } else {
    ReadStandardInputPieces(piece);
  }
}

// Whether the code page holds every character of UTF-8 text that arrives in pieces exactly; a
// character cut at the end of a piece waits for the next.
class ExactnessCheck {
 public:
  void Add(std::string_view piece) {
    if (!m_Exact) return;
    m_Pending.append(piece);
    std::size_t whole = m_Pending.size();
    std::size_t trail = 0;
    while (trail < 3 && trail < whole && IsContinuation(m_Pending[whole - 1 - trail])) ++trail;
    if (trail < whole && static_cast<unsigned char>(m_Pending[whole - 1 - trail]) >= 0xC0) {
      whole -= trail + 1;
    }
    Check(whole);
  }
  bool Exact() {
    if (m_Exact && !m_Pending.empty()) Check(m_Pending.size());
    return m_Exact;
  }

 private:
  static bool IsContinuation(char c) { return (static_cast<unsigned char>(c) & 0xC0) == 0x80; }
  void Check(std::size_t whole) {
    m_Exact =
        CodePageHoldsText(FromUtf8(std::string_view(m_Pending).substr(0, whole)), AnsiCodePage());
    m_Pending.erase(0, whole);
  }
  bool m_Exact = true;
  std::string m_Pending;
};

// Up to this many bytes of UTF-8 may hold fewer than two characters (four bytes each at most).
constexpr std::size_t kShortInput = 8;

// Upper-case hex pairs separated by one space: "EF BB BF".
std::u16string HexPairs(const ByteArray& bytes) {
  static constexpr char16_t kDigits[] = u"0123456789ABCDEF";
  std::u16string out;
  for (const Byte b : bytes.Bytes()) {
    if (!out.empty()) out += u' ';
    out += kDigits[b >> 4];
    out += kDigits[b & 0xF];
  }
  return out;
}

}  // namespace

int RunEncrypt(const std::optional<std::string>& text, CommandMessageSink& sink) {
  cRijndael cipher(sink);
  const std::size_t shownBefore = sink.Count();
  TextEncryptStream encrypt(cipher);
  ExactnessCheck exactness;
  ForEachInputPiece(text, [&](std::string_view piece) {
    exactness.Add(piece);
    encrypt.Add(piece);
  });
  if (!exactness.Exact()) WriteDiagnostic("note: " + InexactTextNote("the text"));
  // Nothing is written before the whole text is in: Finish raises before its first piece.
  encrypt.Finish([](std::string_view hex) { WriteUtf8(hex); });
  if (sink.Count() != shownBefore) return kExitFailure;
  WriteUtf8("\n");
  return kExitSuccess;
}

int RunDecrypt(const std::optional<std::string>& hex, CommandMessageSink& sink) {
  cRijndael cipher(sink);
  TextDecryptStream decrypt(cipher);
  // The first bytes of the input tell whether it holds fewer than two characters.
  std::string start;
  std::size_t inputSize = 0;
  ForEachInputPiece(hex, [&](std::string_view piece) {
    if (start.size() < kShortInput) start += piece.substr(0, kShortInput - start.size());
    inputSize += piece.size();
    decrypt.Add(piece);
  });
  // Decrypt answers every failure with empty text; a message tells a failure from the empty
  // text that a cipher text may legitimately hold. Where it fails, Finish writes nothing.
  const std::size_t shownBefore = sink.Count();
  bool wrote = false;
  decrypt.Finish([&wrote](std::string_view utf8) {
    wrote = wrote || !utf8.empty();
    WriteUtf8(utf8);
  });
  if (sink.Count() != shownBefore) return kExitFailure;
  if (!wrote && inputSize <= kShortInput && FromUtf8(start).size() < 2) {
    // Too short to hold one byte; Decrypt may answer it without a message.
    WriteDiagnostic("Text not Hex data");
    return kExitFailure;
  }
  WriteUtf8("\n");
  return kExitSuccess;
}

int RunUtf8(const std::optional<std::string>& text) {
  WriteLine(HexPairs(TextToUTF8Bytes(TextOrStandardInput(text))));
  return kExitSuccess;
}

int RunAnsi(const std::optional<std::string>& text) {
  WriteLine(HexPairs(EncodeToBytes(TextOrStandardInput(text))));
  return kExitSuccess;
}

}  // namespace hostseal::cli
