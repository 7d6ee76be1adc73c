// Code pages and text as bytes in the C interface: the process's code page, a text's bytes in
// UTF-8 or a code page and back, and the bytes of a small file.
#include <cstdint>
#include <cstring>
#include <span>
#include <string>
#include <vector>

#include "hostseal/c/cipher_handle.hpp"
#include "hostseal/c/output_buffer.hpp"
#include "hostseal/c/status.hpp"
#include "hostseal/c/utf8_input.hpp"
#include "hostseal/common/utf8.hpp"
#include "hostseal/text/code_page.hpp"
#include "hostseal/text/file_bytes.hpp"

using namespace hostseal;
using namespace hostseal::c_interface;

extern "C" {

HOSTSEAL_API hostseal_status HOSTSEAL_CALL hostseal_code_page(int32_t* code_page) {
  return CallGuarded([&]() -> hostseal_status {
    HOSTSEAL_REQUIRE(code_page);
    *code_page = AnsiCodePage();
    return HOSTSEAL_OK;
  });
}

HOSTSEAL_API hostseal_status HOSTSEAL_CALL hostseal_set_code_page(int32_t code_page) {
  return CallGuarded([&]() -> hostseal_status {
    SetAnsiCodePage(code_page);
    return HOSTSEAL_OK;
  });
}

HOSTSEAL_API hostseal_status HOSTSEAL_CALL hostseal_is_known_code_page(int32_t code_page,
                                                                       int* known) {
  return CallGuarded([&]() -> hostseal_status {
    HOSTSEAL_REQUIRE(known);
    *known = IsKnownCodePage(code_page) ? 1 : 0;
    return HOSTSEAL_OK;
  });
}

HOSTSEAL_API hostseal_status HOSTSEAL_CALL hostseal_utf8_bytes(const char* text, int with_bom,
                                                               uint8_t* out, size_t* out_len) {
  return CallGuarded([&]() -> hostseal_status {
    HOSTSEAL_REQUIRE(out_len);
    // Well-formed UTF-8 is its own encoding: checked, then copied behind the mark.
    const InputText input(text, "text");
    std::vector<Byte> bytes;
    if (with_bom != 0) bytes = {0xEF, 0xBB, 0xBF};
    bytes.insert(bytes.end(), input.Utf8().begin(), input.Utf8().end());
    return PutBytes(bytes, out, out_len);
  });
}

HOSTSEAL_API hostseal_status HOSTSEAL_CALL hostseal_ansi_bytes(const char* text, int32_t code_page,
                                                               uint8_t* out, size_t* out_len) {
  return CallGuarded([&]() -> hostseal_status {
    HOSTSEAL_REQUIRE(out_len);
    const InputText input(text, "text");
    return PutBytes(TextToCodePageBytes(input.Text(), ResolveCodePage(code_page)), out, out_len);
  });
}

HOSTSEAL_API hostseal_status HOSTSEAL_CALL hostseal_ansi_text(const uint8_t* bytes, size_t len,
                                                              int32_t code_page, char* out,
                                                              size_t* out_len) {
  return CallGuarded([&]() -> hostseal_status {
    if (len > 0) HOSTSEAL_REQUIRE(bytes);
    HOSTSEAL_REQUIRE(out_len);
    const std::u16string text =
        CodePageBytesToText(std::span(bytes, len), ResolveCodePage(code_page));
    return PutText(ToUtf8(text), out, out_len);
  });
}

HOSTSEAL_API hostseal_status HOSTSEAL_CALL hostseal_file_bytes(const char* path, uint8_t* out,
                                                               size_t* out_len) {
  return CallGuarded([&]() -> hostseal_status {
    HOSTSEAL_REQUIRE(out_len);
    const InputText name(path, "path");
    ByteArray data;
    std::int16_t size = 0;
    LoadFileBytes(name.Text(), data, size);
    return PutBytes(std::span(data.Bytes().data(), static_cast<std::size_t>(size)), out, out_len);
  });
}

}  // extern "C"
