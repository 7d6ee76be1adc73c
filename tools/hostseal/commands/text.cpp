#include "tools/hostseal/commands/text.hpp"

#include <functional>
#include <memory>
#include <optional>
#include <span>
#include <string>
#include <string_view>

#include "hostseal/cipher/rijndael.hpp"
#include "hostseal/cipher/text_crypt_stream.hpp"
#include "hostseal/common/utf8.hpp"
#include "hostseal/common/utf8_codec.hpp"
#include "hostseal/operations/key_choice.hpp"
#include "hostseal/text/ansi_bytes.hpp"
#include "hostseal/text/code_page.hpp"
#include "hostseal/text/utf8_bytes.hpp"
#include "tools/console/console_route.hpp"
#include "tools/hostseal/exit_status.hpp"
#include "tools/hostseal/streams/standard_streams.hpp"

namespace hostseal::cli {

namespace {

// Without a text on the command line, a user at a terminal is told, before anything else is
// written, that the text is awaited there and how to end it.
void TellWhereTheTextComesFrom(const std::optional<std::string>& text) {
  if (!text && IsTerminal(StandardStream::kInput)) {
    WriteDiagnostic(std::string("reading the text from standard input; end it with ") +
                    EndOfInputKeys());
  }
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

// The input as text, a piece of whole characters at a time: a piece is cut before a character
// whose bytes have not all arrived, which then starts the next piece, so that the pieces read
// exactly as the whole text does.
void ForEachTextPiece(const std::optional<std::string>& text,
                      const std::function<void(std::u16string_view)>& piece) {
  std::string bytes;
  ForEachInputPiece(text, [&](std::string_view next) {
    bytes += next;
    const std::size_t whole = CompleteUtf8Length(bytes);
    piece(FromUtf8(std::string_view(bytes).substr(0, whole)));
    bytes.erase(0, whole);
  });
  if (!bytes.empty()) piece(FromUtf8(bytes));
}

// Whether the code page holds every character of UTF-8 text that arrives in pieces exactly; a
// character cut at the end of a piece waits for the next.
class ExactnessCheck {
 public:
  void Add(std::string_view piece) {
    if (!m_Exact) return;
    m_Pending.append(piece);
    Check(CompleteUtf8Length(m_Pending));
  }
  bool Exact() {
    if (m_Exact && !m_Pending.empty()) Check(m_Pending.size());
    return m_Exact;
  }

 private:
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

// Upper-case hex pairs separated by one space, "EF BB BF", written on standard output as the
// bytes come.
class HexPairWriter {
 public:
  void Write(std::span<const Byte> bytes) {
    static constexpr char kDigits[] = "0123456789ABCDEF";
    m_Line.clear();
    m_Line.reserve(bytes.size() * 3);
    for (const Byte b : bytes) {
      if (m_Started) m_Line += ' ';
      m_Started = true;
      m_Line += kDigits[b >> 4];
      m_Line += kDigits[b & 0xF];
    }
    WriteUtf8(m_Line);
  }

 private:
  std::string m_Line;
  bool m_Started = false;
};

int RunEncrypt(const std::optional<std::string>& text, CommandMessageSink& sink) {
  TellWhereTheTextComesFrom(text);
  cRijndael cipher(sink);
  const std::size_t shownBefore = sink.Count();
  TextEncryptStream encrypt(cipher);
  ExactnessCheck exactness;
  bool empty = true;
  ForEachInputPiece(text, [&](std::string_view piece) {
    empty = empty && piece.empty();
    exactness.Add(piece);
    encrypt.Add(piece);
  });
  // Nothing to encrypt is a failure, in the same words as the window's status line.
  if (empty) {
    WriteDiagnostic("no text to encrypt");
    return kExitFailure;
  }
  if (!exactness.Exact()) WriteDiagnostic("note: " + InexactPlainTextNote());
  // Nothing is written before the whole text is in: Finish raises before its first piece.
  encrypt.Finish([](std::string_view hex) { WriteUtf8(hex); });
  if (sink.Count() != shownBefore) return kExitFailure;
  WriteUtf8("\n");
  return kExitSuccess;
}

int RunDecrypt(const std::optional<std::string>& hex, CommandMessageSink& sink) {
  TellWhereTheTextComesFrom(hex);
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
  // Nothing to decrypt is a failure, in the same words as the window's status line.
  if (inputSize == 0) {
    WriteDiagnostic("no cipher text to decrypt");
    return kExitFailure;
  }
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
  TellWhereTheTextComesFrom(text);
  // The byte-order mark, then the text's own UTF-8 (ill-formed bytes become U+FFFD).
  HexPairWriter hex;
  static constexpr Byte kByteOrderMark[] = {0xEF, 0xBB, 0xBF};
  hex.Write(kByteOrderMark);
  ForEachTextPiece(text, [&hex](std::u16string_view piece) {
    const std::string utf8 = ToUtf8(piece);
    hex.Write(std::span(reinterpret_cast<const Byte*>(utf8.data()), utf8.size()));
  });
  WriteUtf8("\n");
  return kExitSuccess;
}

int RunAnsi(const std::optional<std::string>& text) {
  TellWhereTheTextComesFrom(text);
  // The code pages convert character by character, so the pieces' bytes make the text's.
  HexPairWriter hex;
  ForEachTextPiece(text, [&hex](std::u16string_view piece) { hex.Write(TextToAnsiBytes(piece)); });
  WriteUtf8("\n");
  return kExitSuccess;
}

using OptionalText = std::shared_ptr<std::optional<std::string>>;

// An optional TEXT argument; without it the command reads all of standard input.
OptionalText AddTextArgument(CLI::App& command, const std::string& name,
                             const std::string& description) {
  auto text = std::make_shared<std::optional<std::string>>();
  command
      .add_option_function<std::string>(
          name, [text](const std::string& value) { *text = value; },
          description + "; without it, all of standard input less one trailing line feed")
      ->type_name("");
  return text;
}

CommandRun DefineEncrypt(CLI::App& command) {
  OptionalText text = AddTextArgument(command, "TEXT", "The text (after -- when it begins with -)");
  return [text](const CommandContext& context) { return RunEncrypt(*text, context.sink); };
}

CommandRun DefineDecrypt(CLI::App& command) {
  OptionalText hex = AddTextArgument(command, "HEX",
                                     "The hex text (after -- when it begins with -); characters "
                                     "other than hex digits are skipped");
  return [hex](const CommandContext& context) { return RunDecrypt(*hex, context.sink); };
}

CommandRun DefineUtf8(CLI::App& command) {
  OptionalText text = AddTextArgument(command, "TEXT", "The text");
  return [text](const CommandContext&) { return RunUtf8(*text); };
}

CommandRun DefineAnsi(CLI::App& command) {
  OptionalText text = AddTextArgument(command, "TEXT", "The text");
  return [text](const CommandContext&) { return RunAnsi(*text); };
}

}  // namespace

const Command kEncryptCommand = {"encrypt",
                                 "Encrypt text under the built-in pass phrase; prints hex text",
                                 "hostseal encrypt 'hello world'\n"
                                 "  hostseal encrypt -- '-a text that begins with a dash'",
                                 false,
                                 true,
                                 DefineEncrypt};

const Command kDecryptCommand = {"decrypt",
                                 "Decrypt hex text made by encrypt; prints the text",
                                 "hostseal encrypt secret | hostseal decrypt",
                                 false,
                                 true,
                                 DefineDecrypt};

const Command kUtf8Command = {
    "utf8",
    "Print the UTF-8 bytes of a text, byte-order mark first, as hex pairs",
    "hostseal utf8 abc   (prints EF BB BF 61 62 63)",
    false,
    true,
    DefineUtf8};

const Command kAnsiCommand = {"ansi",
                              "Print the bytes of a text in the ANSI code page as hex pairs",
                              "hostseal --codepage 936 ansi 中   (prints D6 D0)",
                              false,
                              true,
                              DefineAnsi};

}  // namespace hostseal::cli
