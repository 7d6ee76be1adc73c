#include "hostseal/text/utf8_bytes.hpp"

#include <cstddef>
#include <vector>

#include "hostseal/common/utf8.hpp"

namespace hostseal {

namespace {

// The type code of text: GB2312ToUTF8 packs its bytes into text when asked for this one.
constexpr std::int32_t kTextType = 8;
constexpr char16_t kOddFiller = 0xFF00;

std::u16string Pack(const std::vector<Byte>& bytes) {
  std::u16string packed((bytes.size() + 1) / 2, u'\0');
  for (std::size_t i = 0; i + 1 < bytes.size(); i += 2) {
    packed[i / 2] = static_cast<char16_t>(bytes[i] | (bytes[i + 1] << 8));
  }
  if (bytes.size() % 2 != 0) packed.back() = static_cast<char16_t>(kOddFiller | bytes.back());
  return packed;
}

}  // namespace

Utf8Result GB2312ToUTF8(const std::u16string& strIn, std::int32_t ReturnValueType) {
  const std::string utf8 = "\xEF\xBB\xBF" + ToUtf8(strIn);
  std::vector<Byte> bytes(utf8.begin(), utf8.end());
  if (ReturnValueType == kTextType) return Pack(bytes);
  return ByteArray(std::move(bytes));
}

ByteArray TextToUTF8Bytes(const std::u16string& sText) {
  return UnpackUtf8Text(std::get<std::u16string>(GB2312ToUTF8(sText, kTextType)));
}

ByteArray UnpackUtf8Text(std::u16string_view packed) {
  std::vector<Byte> bytes;
  bytes.reserve(packed.size() * 2);
  for (const char16_t c : packed) {
    bytes.push_back(static_cast<Byte>(c & 0xFF));
    bytes.push_back(static_cast<Byte>(c >> 8));
  }
  if (!packed.empty() && (packed.back() & 0xFF00) == kOddFiller) bytes.pop_back();
  return ByteArray(std::move(bytes));
}

}  // namespace hostseal
