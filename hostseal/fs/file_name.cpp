#include "hostseal/fs/file_name.hpp"

#include "hostseal/common/utf8.hpp"
#include "hostseal/fs/file_error.hpp"

namespace hostseal {

namespace {

bool IsHighSurrogate(char16_t c) {
  return c >= 0xD800 && c <= 0xDBFF;
}
bool IsLowSurrogate(char16_t c) {
  return c >= 0xDC00 && c <= 0xDFFF;
}

}  // namespace

std::filesystem::path FilePathFromText(std::u16string_view name) {
  std::filesystem::path path(ToUtf8(name));
  CheckFileName(path);
  for (std::size_t i = 0; i < name.size(); ++i) {
    if (IsHighSurrogate(name[i]) && i + 1 < name.size() && IsLowSurrogate(name[i + 1])) {
      ++i;
    } else if (IsHighSurrogate(name[i]) || IsLowSurrogate(name[i])) {
      throw FileSystemError(ErrorNumber::kBadFileNameOrNumber, path,
                            "the name holds an unpaired surrogate");
    }
  }
  return path;
}

}  // namespace hostseal
