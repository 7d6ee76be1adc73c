// ArrayDecrypt and ArrayEncrypt on arbitrary bytes, with and without the length field, under
// keys of 128, 192 and 256 bits taken from the input and on each block path this processor
// runs. OpenSSL's AES-ECB over the framing built here is the oracle; the round trip must give
// the input back, and an output array that is also the input must give the same result.
//
// Input: byte 0 chooses key length (bits 0-1), block path (bits 2-3) and a first index of 1
// for the cipher array (bit 4); the next 32 bytes hold the key; the rest is the data.
#include <algorithm>
#include <array>
#include <cstddef>
#include <cstdint>
#include <string_view>
#include <vector>

#include "fuzz/fuzz_check.hpp"
#include "hostseal/cipher/block_backend.hpp"
#include "hostseal/cipher/rijndael.hpp"
#include "hostseal/common/raised_error.hpp"
#include "tests/support/openssl_ecb.hpp"
#include "tests/support/recording_sink.hpp"

namespace {

using hostseal::Byte;
using hostseal::ByteArray;

constexpr std::array<std::int32_t, 4> kKeyBits{128, 192, 256, 256};
constexpr std::array<std::string_view, 4> kPaths{"portable", "aes-ni", "vaes", "portable"};
constexpr std::size_t kKeyArea = 32;

std::vector<Byte> OpenSslEcb(bool encrypt, const std::vector<Byte>& key,
                             const std::vector<Byte>& data) {
  return hostseal::testing::OpenSslEcb(encrypt, key, data.data(), data.size());
}

void CheckDecrypt(const hostseal::cRijndael& cipher, hostseal::testing::RecordingSink& sink,
                  const std::vector<Byte>& key, const std::vector<Byte>& data,
                  std::int32_t appendsize) {
  const std::size_t C = data.size();
  const ByteArray sentinel(std::vector<Byte>{1, 2, 3});
  ByteArray plain = sentinel;
  sink.messages.clear();
  const std::int32_t status = cipher.ArrayDecrypt(plain, ByteArray(data), appendsize);

  // The same object as input and output.
  ByteArray both{std::vector<Byte>(data)};
  const std::int32_t bothStatus = cipher.ArrayDecrypt(both, both, appendsize);
  FUZZ_CHECK(bothStatus == status);

  if (C % 16 != 0 || (appendsize != 0 && C == 0)) {
    FUZZ_CHECK(status == -1);
    FUZZ_CHECK(plain.Bytes() == sentinel.Bytes());
    FUZZ_CHECK(both.Bytes() == data);
    FUZZ_CHECK(sink.messages.size() == 2 &&
               sink.messages[0] == u"ciphertext size not a multiple of block size");
    return;
  }
  std::vector<Byte> expected = OpenSslEcb(false, key, data);
  std::int32_t expectedStatus = 0;
  if (appendsize != 0) {
    const Byte n = expected.back();
    if (n < 16) {
      expected.resize(C - 16 + n);
    } else {
      expectedStatus = 1;
    }
  }
  FUZZ_CHECK(status == expectedStatus);
  FUZZ_CHECK(plain.FirstIndex() == 0 && plain.Bytes() == expected);
  FUZZ_CHECK(both.FirstIndex() == 0 && both.Bytes() == expected);
  FUZZ_CHECK(sink.messages.size() == (expectedStatus == 1 ? 2u : 0u));
}

void CheckRoundTrip(const hostseal::cRijndael& cipher, const std::vector<Byte>& key,
                    const std::vector<Byte>& data, std::int32_t appendsize) {
  ByteArray sealed(std::vector<Byte>(7, 0xEE));
  FUZZ_CHECK(cipher.ArrayEncrypt(ByteArray(data), sealed, appendsize) == 0);

  std::vector<Byte> framed = data;
  if (appendsize != 0) {
    framed.resize((data.size() / 16 + 1) * 16, 0);
    framed.back() = static_cast<Byte>(data.size() % 16);
  } else {
    framed.resize((data.size() + 15) / 16 * 16, 0);
  }
  FUZZ_CHECK(sealed.FirstIndex() == 0 && sealed.Bytes() == OpenSslEcb(true, key, framed));

  ByteArray opened;
  FUZZ_CHECK(cipher.ArrayDecrypt(opened, sealed, appendsize) == 0);
  FUZZ_CHECK(opened.Bytes() == (appendsize != 0 ? data : framed));
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* input, std::size_t size) {
  if (size == 0) return 0;
  const Byte choice = input[0];
  const std::int32_t bits = kKeyBits[choice & 3u];
  hostseal::cipher_backend::Select(kPaths[(choice >> 2) & 3u]);  // stays put when unavailable
  const bool offsetCipher = (choice & 0x10u) != 0;

  std::vector<Byte> key(static_cast<std::size_t>(bits / 8), 0);
  const std::size_t keyGiven = std::min(size - 1, key.size());
  std::copy_n(input + 1, keyGiven, key.begin());
  const std::size_t dataStart = std::min(size, 1 + kKeyArea);
  const std::vector<Byte> data(input + dataStart, input + size);

  hostseal::testing::RecordingSink sink;
  hostseal::cRijndael cipher(sink);
  FUZZ_CHECK(cipher.SetCipherKey(ByteArray(key), bits) == 0);

  if (offsetCipher) {
    // A cipher array that does not start at index 0 is misuse: raised, output untouched.
    ByteArray plain(std::vector<Byte>{9});
    bool raised = false;
    try {
      cipher.ArrayDecrypt(plain, ByteArray(data, 1), choice & 0x20u);
    } catch (const hostseal::RaisedError& e) {
      raised = e.Number() == 1;
    }
    FUZZ_CHECK(raised && plain.Bytes() == std::vector<Byte>{9});
    return 0;
  }

  for (const std::int32_t appendsize : {0, 1}) {
    CheckDecrypt(cipher, sink, key, data, appendsize);
    CheckRoundTrip(cipher, key, data, appendsize);
  }
  return 0;
}
