// The window's file operations, shared by every window toolkit: the key of a file job is
// checked before any file is asked for, and the job reports one status line ("Encrypt file:
// IN -> OUT", green, or red with why). A job can be stopped from its progress report; its
// target then keeps its former content.
#pragma once

#include <cstdint>
#include <functional>
#include <string>

#include "hostseal/cipher/rijndael.hpp"
#include "hostseal/log/rich_text_box.hpp"
#include "hostseal/operations/key_choice.hpp"

namespace hostseal {

enum class FileDirection { kEncrypt, kDecrypt };

// Sets the cipher's key for a file job; false, with a red line that says why, when the key
// cannot be used.
bool ApplyFileKey(RichTextBox& StatusTxt, cRijndael& cipher, const KeyChoice& choice,
                  FileDirection direction);

// Called as the job goes on (done == total once the target is in place); false asks the job
// to stop at this report.
using FileJobProgress = std::function<bool(std::uint64_t done, std::uint64_t total)>;

// Encrypts the plain file input into the cipher file output, or decrypts the cipher file input
// into the plain file output, under the key set last; true when the target was written.
bool RunFileJob(RichTextBox& StatusTxt, const cRijndael& cipher, FileDirection direction,
                const std::u16string& input, const std::u16string& output,
                const FileJobProgress& progress);

}  // namespace hostseal
