#include "tools/hostseal/text_commands.hpp"

#include "hostseal/cipher/rijndael.hpp"
#include "hostseal/common/utf8.hpp"
#include "hostseal/text/ansi_bytes.hpp"
#include "hostseal/text/utf8_bytes.hpp"
#include "tools/hostseal/exit_status.hpp"
#include "tools/hostseal/standard_streams.hpp"

namespace hostseal::cli {

namespace {

std::u16string TextOrStandardInput(const std::optional<std::string>& text) {
  return text ? FromUtf8(*text) : ReadStandardInputText();
}

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
  const std::u16string plain = TextOrStandardInput(text);
  cRijndael cipher(sink);
  const std::size_t shownBefore = sink.Count();
  const std::u16string hex = cipher.Encrypt(plain);
  if (sink.Count() != shownBefore) return kExitFailure;
  WriteLine(hex);
  return kExitSuccess;
}

int RunDecrypt(const std::optional<std::string>& hex, CommandMessageSink& sink) {
  const std::u16string cipherText = TextOrStandardInput(hex);
  cRijndael cipher(sink);
  // Decrypt answers every failure with empty text; a message tells a failure from the empty
  // text that a cipher text may legitimately hold.
  const std::size_t shownBefore = sink.Count();
  const std::u16string plain = cipher.Decrypt(cipherText);
  if (sink.Count() != shownBefore) return kExitFailure;
  if (plain.empty() && cipherText.size() < 2) {
    // Too short to hold one byte; Decrypt may answer it without a message.
    WriteDiagnostic("Text not Hex data");
    return kExitFailure;
  }
  WriteLine(plain);
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
