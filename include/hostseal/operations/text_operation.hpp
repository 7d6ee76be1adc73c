// The window's text operations, shared by every window toolkit: a text encrypted to
// hexadecimal text under the built-in pass phrase, and hexadecimal text decrypted back, each
// reported as one status line ("Encrypt text: ...", green with the result or red with why).
#pragma once

#include <string>

#include "hostseal/cipher/rijndael.hpp"
#include "hostseal/log/rich_text_box.hpp"

namespace hostseal {

// The hexadecimal text, or "" when there is none; the line tells why. A text that the code page
// in force cannot hold exactly first gets a note line (InexactPlainTextNote), as the tool's
// encrypt prints one.
std::u16string EncryptTextOperation(RichTextBox& StatusTxt, cRijndael& cipher,
                                    const std::u16string& input);

// The plain text, or "" when there is none. The cipher shows what is wrong with the input in
// its message box; the line says that there was no text.
std::u16string DecryptTextOperation(RichTextBox& StatusTxt, cRijndael& cipher,
                                    const std::u16string& input);

}  // namespace hostseal
