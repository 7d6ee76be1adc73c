// The program that memcheck runs for the constant-time check (see ctgrind_test.cpp).
//
// Usage: hostseal_ctgrind_harness PATH, PATH one of "aes-ni", "vaes", "portable".
//
// For each key length it keys a cipher, then tells memcheck that the round keys and the input
// data are secret by marking them undefined, and encrypts and decrypts arrays and single
// blocks on the chosen path. Memcheck follows undefined bits through every instruction and
// reports a conditional jump, or a memory address, that depends on them: exactly the uses
// that make running time or cache state depend on the secret. The outputs are marked defined
// again before they are compared with results worked out beforehand on the table path.
//
// The key schedule is table-driven (S-box lookups indexed by key bytes), so it is not
// constant time; it runs before the round keys are marked. The table path indexes its tables
// by state bytes: run on "portable" memcheck must report errors, which shows that the check
// sees secret-dependent indexes at all.
//
// Only the block-transforming parts are checked. ArrayDecrypt with the length field branches
// on the decrypted length byte by design (it decides how many bytes the caller gets back), so
// decryption here runs without it.
//
// Exit status: 0 all results right, 1 a wrong result, 77 the path is not available here
// (under valgrind: not offered by the processor that valgrind emulates).
#include <valgrind/memcheck.h>

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <string_view>
#include <vector>

#include "hostseal/cipher/block_backend.hpp"
#include "hostseal/cipher/rijndael.hpp"
#include "tests/cipher/rijndael_test_access.hpp"

namespace {

using hostseal::Byte;
using hostseal::ByteArray;
using hostseal::cRijndael;
using Access = hostseal::cRijndaelTestAccess;

constexpr int kSkip = 77;

// Sizes that reach every loop of the hardware paths: one block, fewer than eight blocks with
// a tail, exactly eight, and 37 blocks (groups of sixteen and eight, pairs, single blocks),
// each with and without a partial last block.
constexpr std::size_t kSizes[] = {1, 16, 7 * 16 + 5, 8 * 16, 37 * 16, 37 * 16 + 9};

std::vector<Byte> Pattern(std::size_t n, unsigned seed) {
  std::vector<Byte> out(n);
  std::uint32_t x = seed * 2654435761u + 1;
  for (Byte& b : out) {
    x = x * 1664525u + 1013904223u;
    b = static_cast<Byte>(x >> 24);
  }
  return out;
}

void MarkSecret(const void* data, std::size_t size) {
  VALGRIND_MAKE_MEM_UNDEFINED(data, size);
}

void MarkPublic(const void* data, std::size_t size) {
  VALGRIND_MAKE_MEM_DEFINED(data, size);
}

void MarkSecret(const std::vector<Byte>& v) {
  MarkSecret(v.data(), v.size());
}
void MarkPublic(const std::vector<Byte>& v) {
  MarkPublic(v.data(), v.size());
}

void MarkRoundKeys(const cRijndael& c, bool secret) {
  const auto& enc = Access::EncRoundKey(c);
  const auto& dec = Access::DecRoundKey(c);
  if (secret) {
    MarkSecret(enc.data(), sizeof enc);
    MarkSecret(dec.data(), sizeof dec);
  } else {
    MarkPublic(enc.data(), sizeof enc);
    MarkPublic(dec.data(), sizeof dec);
  }
}

struct Expected {
  std::vector<Byte> plain;
  std::vector<Byte> cipherWithLength;
  std::vector<Byte> cipherWithout;
};

int failures = 0;

void Check(bool ok, const char* what, int bits, std::size_t size) {
  if (ok) return;
  ++failures;
  std::fprintf(stderr, "ctgrind harness: wrong result of %s, %d-bit key, %zu bytes\n", what, bits,
               size);
}

// Runs on the selected path with round keys and data secret.
void RunSecret(const cRijndael& c, int bits, const Expected& e) {
  const std::size_t n = e.plain.size();
  const ByteArray plain(e.plain);
  ByteArray cipher;
  ByteArray back;

  MarkRoundKeys(c, true);
  MarkSecret(plain.Bytes());

  c.ArrayEncrypt(plain, cipher, 1);
  MarkPublic(cipher.Bytes());
  Check(cipher.Bytes() == e.cipherWithLength, "ArrayEncrypt with length field", bits, n);

  c.ArrayEncrypt(plain, cipher, 0);
  MarkPublic(cipher.Bytes());
  Check(cipher.Bytes() == e.cipherWithout, "ArrayEncrypt", bits, n);

  MarkSecret(cipher.Bytes());
  c.ArrayDecrypt(back, cipher, 0);
  MarkPublic(back.Bytes());
  std::vector<Byte> padded = e.plain;
  padded.resize(e.cipherWithout.size(), 0);
  Check(back.Bytes() == padded, "ArrayDecrypt", bits, n);

  // One block through the public block operations, in place.
  if (n >= 16) {
    ByteArray block(std::vector<Byte>(e.plain.begin(), e.plain.begin() + 16));
    MarkSecret(block.Bytes());
    c.BlockEncrypt(block, block, 0, 0);
    MarkPublic(block.Bytes());
    Check(std::equal(block.Bytes().begin(), block.Bytes().end(), e.cipherWithout.begin()),
          "BlockEncrypt", bits, n);
    MarkSecret(block.Bytes());
    c.BlockDecrypt(block, block, 0, 0);
    MarkPublic(block.Bytes());
    Check(std::equal(block.Bytes().begin(), block.Bytes().end(), e.plain.begin()), "BlockDecrypt",
          bits, n);
  }

  MarkRoundKeys(c, false);
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: %s aes-ni|vaes|portable\n", argv[0]);
    return 2;
  }
  const std::string_view path = argv[1];
  if (!hostseal::cipher_backend::Select(path)) {
    std::printf("path %s not available\n", argv[1]);
    return kSkip;
  }

  for (int bits : {128, 192, 256}) {
    cRijndael c;
    c.SetCipherKey(ByteArray(Pattern(32, static_cast<unsigned>(bits))), bits);
    for (std::size_t n : kSizes) {
      // Expected results from the table path, everything public.
      Expected e;
      e.plain = Pattern(n, static_cast<unsigned>(n));
      hostseal::cipher_backend::Select("portable");
      ByteArray out;
      c.ArrayEncrypt(ByteArray(e.plain), out, 1);
      e.cipherWithLength = out.Bytes();
      c.ArrayEncrypt(ByteArray(e.plain), out, 0);
      e.cipherWithout = out.Bytes();
      hostseal::cipher_backend::Select(path);

      RunSecret(c, bits, e);
    }
  }
  std::printf("path %s: %d wrong results\n", argv[1], failures);
  return failures == 0 ? 0 : 1;
}
