// The hexadecimal text format of the C interface: a text's bytes in a code page, encrypted
// under the built-in pass phrase's key without a length field, as cRijndael's Encrypt and
// Decrypt write and read it, with the code page given per call.
#include <cstdint>
#include <string>
#include <vector>

#include "hostseal/c/cipher_handle.hpp"
#include "hostseal/c/output_buffer.hpp"
#include "hostseal/c/status.hpp"
#include "hostseal/c/utf8_input.hpp"
#include "hostseal/cipher/array_framing.hpp"
#include "hostseal/cipher/hex_text.hpp"
#include "hostseal/common/utf8.hpp"
#include "hostseal/text/code_page.hpp"

namespace hostseal::c_interface {

namespace {

constexpr std::size_t kHexGroupSize = 16;  // bytes per group of 32 digits

cRijndael& TextCipher() {
  // One per thread, keyed once: the tables and the schedule never change afterwards.
  thread_local cRijndael cipher = [] {
    cRijndael c(TheRecordingSink());
    SetBuiltInKey(c);
    return c;
  }();
  return cipher;
}

}  // namespace

}  // namespace hostseal::c_interface

using namespace hostseal;
using namespace hostseal::c_interface;

extern "C" {

HOSTSEAL_API hostseal_status HOSTSEAL_CALL hostseal_encrypt_text(const char* text,
                                                                 int32_t code_page, char* out,
                                                                 size_t* out_len) {
  return CallGuarded([&]() -> hostseal_status {
    HOSTSEAL_REQUIRE(out_len);
    const InputText input(text, "text");
    const std::vector<Byte> plain = TextToCodePageBytes(input.Text(), ResolveCodePage(code_page));
    std::vector<Byte> cipher(*ArrayFraming::CipherLength(plain.size(), false));
    ArrayFraming::Encrypt(TextCipher(), plain, cipher.data(), false);
    const std::u16string hex = BytesToHexText(cipher, kHexGroupSize);
    return PutText(std::string(hex.begin(), hex.end()), out, out_len);  // ASCII only
  });
}

HOSTSEAL_API hostseal_status HOSTSEAL_CALL hostseal_decrypt_text(const char* hex, int32_t code_page,
                                                                 char* out, size_t* out_len) {
  return CallGuarded([&]() -> hostseal_status {
    HOSTSEAL_REQUIRE(out_len);
    const InputText input(hex, "hex");
    const std::int32_t codePage = ResolveCodePage(code_page);
    std::vector<Byte> bytes;
    HexDigitReader().Read(input.Utf8(), bytes);
    const ArrayFraming::DecryptPlan plan = ArrayFraming::PlanDecrypt(TextCipher(), bytes, false);
    if (plan.status != 0) {
      return Fail(HOSTSEAL_CIPHER_ERROR, "ciphertext size not a multiple of block size");
    }
    ArrayFraming::Decrypt(TextCipher(), bytes, bytes.data(), plan);
    std::u16string plain = CodePageBytesToText(bytes, codePage);
    // The zero padding of the last block ends the text.
    if (const std::size_t zero = plain.find(u'\0'); zero != std::u16string::npos) {
      plain.resize(zero);
    }
    return PutText(ToUtf8(plain), out, out_len);
  });
}

}  // extern "C"
