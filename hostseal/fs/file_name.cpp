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
  std::filesystem::path path = PathFromUtf8(ToUtf8(name));
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

std::filesystem::path PathFromUtf8(std::string_view name) {
  return std::filesystem::path(std::u8string(name.begin(), name.end()));
}

std::string PathToUtf8(const std::filesystem::path& path) {
  const std::u8string text = path.u8string();
  return std::string(text.begin(), text.end());
}

}  // namespace hostseal
