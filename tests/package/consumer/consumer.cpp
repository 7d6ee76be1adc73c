// A program outside the project: one public header of each area, through the installed
// headers and library.
#include <hostseal/cipher/rijndael.hpp>
#include <hostseal/common/raised_error.hpp>
#include <hostseal/fs/byte_stream.hpp>
#include <hostseal/hostinfo/dns.hpp>
#include <hostseal/log/status_log.hpp>
#include <hostseal/text/code_page.hpp>

#include <cstdio>
#include <type_traits>
#include <vector>

// Declared by the installed headers: the status log, the host queries and the stream interface.
static_assert(std::is_function_v<decltype(hostseal::AddStatusLine)>);
static_assert(std::is_function_v<decltype(hostseal::DNS::GetHostIP)>);
static_assert(std::has_virtual_destructor_v<hostseal::ByteSource>);

// FIPS-197 Appendix C.1, and the ANSI code page's bytes of an ASCII text.
int main() {
  hostseal::cRijndael cipher;
  std::vector<hostseal::Byte> key(16);
  std::vector<hostseal::Byte> block(16);
  for (unsigned i = 0; i < 16; ++i) {
    key[i] = static_cast<hostseal::Byte>(i);
    block[i] = static_cast<hostseal::Byte>(i * 0x11);
  }
  cipher.SetCipherKey(hostseal::ByteArray(key), 128);
  hostseal::ByteArray out(std::vector<hostseal::Byte>(16));
  cipher.BlockEncrypt(hostseal::ByteArray(block), out, 0, 0);
  const bool cipherOk = out.Bytes()[0] == 0x69 && out.Bytes()[15] == 0x5A;
  const bool textOk =
      hostseal::TextToCodePageBytes(u"ab", 1252) == std::vector<hostseal::Byte>{'a', 'b'};
  const bool ok = cipherOk && textOk;
  std::puts(ok ? "consumer: ok" : "consumer: wrong cipher text or code-page bytes");
  return ok ? 0 : 1;
}
