// ApplyFileKey, RunFileJob: the cipher's file calls with their status lines.
#include "hostseal/operations/file_operation.hpp"

#include <exception>
#include <filesystem>
#include <string>
#include <system_error>

#include "hostseal/common/raised_error.hpp"
#include "hostseal/common/utf8.hpp"
#include "hostseal/fs/file_name.hpp"
#include "hostseal/log/status_log.hpp"

namespace hostseal {

namespace {

std::u16string Head(FileDirection direction) {
  return direction == FileDirection::kEncrypt ? u"Encrypt file: " : u"Decrypt file: ";
}

// Thrown from the progress report when the caller asks the job to stop: the cipher then
// abandons the job, and the target keeps its former content.
struct FileJobStopped {};

}  // namespace

bool ApplyFileKey(RichTextBox& StatusTxt, cRijndael& cipher, const KeyChoice& choice,
                  FileDirection direction) {
  std::u16string failure;
  try {
    ApplyKey(cipher, choice);
    // A pass phrase whose key depends on the system, or whose tail is ignored, is said so.
    for (const std::string& note : KeyChoiceNotes(choice)) {
      AddStatusLine(StatusTxt, Head(direction), u"note: " + FromUtf8(note), 3);
    }
    return true;
  } catch (const RaisedError& error) {
    failure = FromUtf8(error.Description());
  } catch (const std::exception& error) {
    failure = FromUtf8(error.what());
  }
  AddStatusLine(StatusTxt, Head(direction), failure, 1);
  return false;
}

bool RunFileJob(RichTextBox& StatusTxt, const cRijndael& cipher, FileDirection direction,
                const std::u16string& input, const std::u16string& output,
                const FileJobProgress& progress) {
  const std::u16string files = input + u" -> " + output;
  const cRijndael::FileProgress report = [&progress](std::uint64_t done, std::uint64_t total) {
    // The report with done == total comes once the target is in place: too late to stop.
    if (!progress(done, total) && done < total) throw FileJobStopped{};
  };
  std::int32_t status = 0;
  std::u16string failure;
  bool targetExisted = false;
  try {
    // Names the system cannot take (an unpaired surrogate, U+0000) raise 52 here.
    const std::filesystem::path in = FilePathFromText(input);
    const std::filesystem::path out = FilePathFromText(output);
    std::error_code ignored;
    targetExisted = direction == FileDirection::kDecrypt && std::filesystem::exists(out, ignored);
    status = direction == FileDirection::kEncrypt ? cipher.FileEncrypt(in, out, report)
                                                  : cipher.FileDecrypt(out, in, report);
  } catch (const FileJobStopped&) {
    failure = u": cancelled; the target is as it was";
  } catch (const RaisedError& error) {
    AddStatusLine(StatusTxt, Head(direction), FromUtf8(error.Description()), 1);
    return false;
  } catch (const std::exception& error) {
    AddStatusLine(StatusTxt, Head(direction), FromUtf8(error.what()), 1);
    return false;
  }
  if (failure.empty()) {
    switch (status) {
      case 0:
        AddStatusLine(StatusTxt, Head(direction), files, 0);
        return true;
      case 1:
        failure = u": refused, the cipher-text file is not whole blocks";
        break;
      case 2:
        // The cipher keeps a target that existed; a new one receives what was decrypted.
        failure = targetExisted ? u": the length field or the padding is wrong; wrong key or key "
                                  u"size? The target is kept as it was"
                                : u": the length field or the padding is wrong; wrong key or key "
                                  u"size? The new target holds what was decrypted";
        break;
      default:
        failure = u": failed with status " + FromUtf8(std::to_string(status));
        break;
    }
  }
  AddStatusLine(StatusTxt, Head(direction), files + failure, 1);
  return false;
}

}  // namespace hostseal
