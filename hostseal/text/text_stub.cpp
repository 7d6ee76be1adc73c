// Provisional: UTF-8 bytes, ANSI bytes and file bytes arrive with the code-page layer.
#include "hostseal/common/raised_error.hpp"
#include "hostseal/common/utf8.hpp"
#include "hostseal/text/ansi_bytes.hpp"
#include "hostseal/text/code_page.hpp"
#include "hostseal/text/file_bytes.hpp"
#include "hostseal/text/utf8_bytes.hpp"

namespace hostseal {

Utf8Result GB2312ToUTF8(const std::u16string& strIn, std::int32_t /*ReturnValueType*/) {
  return TextToUTF8Bytes(strIn);
}

ByteArray TextToUTF8Bytes(const std::u16string& sText) {
  std::string utf8 = "\xEF\xBB\xBF" + ToUtf8(sText);
  return ByteArray(std::vector<Byte>(utf8.begin(), utf8.end()));
}

ByteArray EncodeToBytes(std::u16string sData) {
  return ByteArray(TextToAnsiBytes(sData));
}

void LoadFileBytes(const std::u16string& /*sFileName*/, ByteArray& /*aData*/,
                   std::int16_t& /*nSize*/) {
  throw RaisedError(ErrorNumber::kCipher, "LoadFileBytes - not available yet");
}

void SetAnsiCodePage(std::int32_t codePage) {
  if (codePage != 65001) throw RaisedError(ErrorNumber::kCipher, "unknown code page");
}

}  // namespace hostseal
