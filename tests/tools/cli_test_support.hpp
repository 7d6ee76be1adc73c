// Helpers of the command-line tests: running the built tool in a controlled environment, and
// AES in ECB mode from OpenSSL's libcrypto as the independent oracle of the cipher output.
#pragma once

#include <gtest/gtest.h>
#include <openssl/evp.h>

#include <cstdlib>
#include <memory>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

#include "tests/support/file_bytes.hpp"
#include "tests/support/process_runner.hpp"

namespace hostseal::testing {

inline const std::string kCli = HOSTSEAL_CLI_PATH;

// The tool with its arguments, a fixed environment (UTF-8, no colours) plus extra entries.
inline ProcessRun CliRun(std::vector<std::string> args, std::string input = {},
                         std::vector<std::string> env = {"NO_COLOR=1", "HOSTSEAL_CODEPAGE=65001"}) {
  ProcessRun run;
  run.argv.push_back(kCli);
  run.argv.insert(run.argv.end(), args.begin(), args.end());
  run.env = {"PATH=/usr/sbin:/usr/bin:/sbin:/bin", "LC_ALL=C.UTF-8"};
  run.env.insert(run.env.end(), env.begin(), env.end());
  for (const char* name : {"ASAN_OPTIONS", "UBSAN_OPTIONS", "LSAN_OPTIONS"}) {
    if (const char* value = std::getenv(name)) run.env.push_back(std::string(name) + "=" + value);
  }
  run.input = std::move(input);
  return run;
}

inline ProcessResult Cli(std::vector<std::string> args, std::string input = {}) {
  return RunProcess(CliRun(std::move(args), std::move(input)));
}

// AES-128/192/256 (by the key's length) in ECB mode without padding; data is whole blocks.
inline std::string AesEcb(const std::string& key, const std::string& data, bool encrypt = true) {
  const EVP_CIPHER* cipher = key.size() == 16   ? EVP_aes_128_ecb()
                             : key.size() == 24 ? EVP_aes_192_ecb()
                                                : EVP_aes_256_ecb();
  std::unique_ptr<EVP_CIPHER_CTX, decltype(&EVP_CIPHER_CTX_free)> ctx(EVP_CIPHER_CTX_new(),
                                                                      EVP_CIPHER_CTX_free);
  std::string out(data.size() + 16, '\0');
  int n = 0, tail = 0;
  auto* o = reinterpret_cast<unsigned char*>(out.data());
  if (EVP_CipherInit_ex(ctx.get(), cipher, nullptr,
                        reinterpret_cast<const unsigned char*>(key.data()), nullptr,
                        encrypt ? 1 : 0) != 1 ||
      EVP_CIPHER_CTX_set_padding(ctx.get(), 0) != 1 ||
      EVP_CipherUpdate(ctx.get(), o, &n, reinterpret_cast<const unsigned char*>(data.data()),
                       static_cast<int>(data.size())) != 1 ||
      EVP_CipherFinal_ex(ctx.get(), o + n, &tail) != 1) {
    throw std::runtime_error("OpenSSL AES failed");
  }
  out.resize(static_cast<std::size_t>(n + tail));
  return out;
}

// The cipher file of data: zero padding, the length mod 16 in the last byte, whole blocks.
inline std::string ExpectedCipherFile(const std::string& key, std::string data) {
  const std::size_t length = data.size();
  data.resize(length / 16 * 16 + 16, '\0');
  data.back() = static_cast<char>(length % 16);
  return AesEcb(key, data);
}

// Upper-case hex digits, a separator before every group of `group` bytes.
inline std::string Hex(const std::string& bytes, const std::string& separator = "",
                       std::size_t group = 1) {
  const char* digits = "0123456789ABCDEF";
  std::string out;
  for (std::size_t i = 0; i < bytes.size(); ++i) {
    if (i != 0 && i % group == 0) out += separator;
    out += digits[(bytes[i] >> 4) & 0xF];
    out += digits[bytes[i] & 0xF];
  }
  return out;
}

// Hex digits in pairs as the bytes they spell.
inline std::string Unhex(const std::string& hex) {
  std::string out;
  for (std::size_t i = 0; i + 1 < hex.size(); i += 2) {
    out += static_cast<char>(std::stoi(hex.substr(i, 2), nullptr, 16));
  }
  return out;
}

// What a usage error shows: its message and the line that points to --help.
inline std::string Usage(std::string_view message) {
  std::string text = "hostseal: ";
  text += message;
  text += "\nhostseal: run 'hostseal --help' for the commands and options\n";
  return text;
}

inline void ExpectResult(const ProcessResult& r, int status, const std::string& out,
                         const std::string& err) {
  EXPECT_EQ(r.status, status);
  EXPECT_EQ(r.out, out);
  EXPECT_EQ(r.err, err);
}

}  // namespace hostseal::testing
