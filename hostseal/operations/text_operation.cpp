// EncryptTextOperation, DecryptTextOperation: the cipher's text calls with their status lines.
#include "hostseal/operations/text_operation.hpp"

#include <exception>

#include "hostseal/common/raised_error.hpp"
#include "hostseal/common/utf8.hpp"
#include "hostseal/log/status_log.hpp"
#include "hostseal/operations/key_choice.hpp"
#include "hostseal/text/code_page.hpp"

namespace hostseal {

std::u16string EncryptTextOperation(RichTextBox& StatusTxt, cRijndael& cipher,
                                    const std::u16string& input) {
  const std::u16string head = u"Encrypt text: ";
  if (input.empty()) {
    AddStatusLine(StatusTxt, head, u"no text to encrypt", 1);
    return {};
  }
  // A text that the code page cannot hold comes back changed: said before the cipher text, in
  // the tool's words.
  if (!CodePageHoldsText(input, AnsiCodePage())) {
    AddStatusLine(StatusTxt, head, u"note: " + FromUtf8(InexactPlainTextNote()), 3);
  }
  std::u16string sealed;
  std::u16string failure;
  try {
    sealed = cipher.Encrypt(input);
    if (sealed.empty()) failure = u"the cipher gave no text";
  } catch (const RaisedError& error) {
    failure = FromUtf8(error.Description());
  } catch (const std::exception& error) {
    failure = FromUtf8(error.what());
  }
  // The box's own errors reach the caller.
  if (!failure.empty()) {
    AddStatusLine(StatusTxt, head, failure, 1);
    return {};
  }
  AddStatusLine(StatusTxt, head, sealed, 0);
  return sealed;
}

std::u16string DecryptTextOperation(RichTextBox& StatusTxt, cRijndael& cipher,
                                    const std::u16string& input) {
  const std::u16string head = u"Decrypt text: ";
  if (input.empty()) {
    AddStatusLine(StatusTxt, head, u"no cipher text to decrypt", 1);
    return {};
  }
  std::u16string plain;
  std::u16string failure;
  try {
    // Decrypt shows what went wrong in a message box and gives empty text.
    plain = cipher.Decrypt(input);
    if (plain.empty()) failure = u"no text: not hexadecimal cipher text of whole blocks";
  } catch (const std::exception& error) {
    failure = FromUtf8(error.what());
  }
  if (!failure.empty()) {
    AddStatusLine(StatusTxt, head, failure, 1);
    return {};
  }
  AddStatusLine(StatusTxt, head, plain, 0);
  return plain;
}

}  // namespace hostseal
