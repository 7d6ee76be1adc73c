// The C interface under random calls: keys of every kind and size, arrays, texts, code pages
// and streams, with NULL pointers, random capacities and failing callbacks. Properties: no
// crash or sanitizer report; every status agrees with the last error (a description after a
// failure, "" after a success); a short buffer is left untouched and told the exact size; a
// byte array and a stream come back as they went in.
//
// Input: a sequence of operations, each a byte choosing it followed by its arguments
// (FuzzedDataProvider).
#include <fuzzer/FuzzedDataProvider.h>

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "fuzz/fuzz_check.hpp"
#include "hostseal/hostseal.h"

namespace {

constexpr std::int32_t kCodePages[] = {0, 1252, 936, 65001, 932, 54936, 1, -7, 1200};
constexpr std::int32_t kKeyBits[] = {128, 192, 256, 0, 127, 512};
constexpr std::uint8_t kCanary = 0xA5;

// A status agrees with the last error.
hostseal_status Checked(hostseal_status status) {
  FUZZ_CHECK(hostseal_last_error() == status);
  std::size_t n = 0;
  FUZZ_CHECK(hostseal_last_error_text(nullptr, &n) == HOSTSEAL_SHORT_BUFFER);
  FUZZ_CHECK((status == HOSTSEAL_OK) == (n == 1));
  return status;
}

// An output buffer of a random capacity (or none), exactly that large so that the sanitizer
// sees any write past it, filled with a canary. A capacity of 0 still has an address.
struct Output {
  Output(FuzzedDataProvider& in, std::size_t room)
      : isNull(in.ConsumeBool()),
        capacity(in.ConsumeIntegralInRange<std::size_t>(0, room)),
        bytes(new std::uint8_t[capacity]) {
    std::fill_n(bytes.get(), capacity, kCanary);
  }
  std::uint8_t* Data() { return isNull ? nullptr : bytes.get(); }
  char* Text() { return reinterpret_cast<char*>(Data()); }
  // After the call: the rule for status, with n what the call left in the capacity.
  void Check(hostseal_status status, std::size_t n, bool text) const {
    if (status == HOSTSEAL_SHORT_BUFFER) {
      FUZZ_CHECK(isNull || n > capacity);
      FUZZ_CHECK(
          std::all_of(bytes.get(), bytes.get() + capacity, [](auto b) { return b == kCanary; }));
    } else if (status == HOSTSEAL_OK) {
      // Only an output of no bytes, never text, succeeds without a buffer.
      FUZZ_CHECK((!isNull || (n == 0 && !text)) && n + (text ? 1 : 0) <= capacity);
      if (text) FUZZ_CHECK(bytes[n] == 0);
    }
  }
  bool isNull;
  std::size_t capacity;
  std::unique_ptr<std::uint8_t[]> bytes;
};

struct Memory {
  std::vector<std::uint8_t> data;
  std::size_t at = 0;
  int failAfter = -1;  // calls before the callback fails with status 77; -1: never
};

int32_t HOSTSEAL_CALL ReadMemory(void* context, uint8_t* buffer, size_t capacity, size_t* got) {
  auto* m = static_cast<Memory*>(context);
  if (m->failAfter >= 0 && m->failAfter-- == 0) return 77;
  *got = std::min({capacity, m->data.size() - m->at, std::size_t{5000}});
  std::copy_n(m->data.begin() + static_cast<std::ptrdiff_t>(m->at), *got, buffer);
  m->at += *got;
  return 0;
}

int32_t HOSTSEAL_CALL WriteMemory(void* context, const uint8_t* data, size_t len) {
  auto* m = static_cast<Memory*>(context);
  if (m->failAfter >= 0 && m->failAfter-- == 0) return 77;
  m->data.insert(m->data.end(), data, data + len);
  return 0;
}

void ArrayRoundTrip(hostseal_cipher* cipher, FuzzedDataProvider& in) {
  const std::vector<std::uint8_t> plain =
      in.ConsumeBytes<std::uint8_t>(in.ConsumeIntegralInRange<std::size_t>(0, 300));
  const int lengthField = in.ConsumeBool() ? 1 : 0;
  Output sealed(in, 400);
  std::size_t n = sealed.capacity;
  const hostseal_status status = Checked(
      hostseal_cipher_encrypt(cipher, plain.data(), plain.size(), lengthField, sealed.Data(), &n));
  sealed.Check(status, n, false);
  const std::size_t expected =
      lengthField ? (plain.size() / 16 + 1) * 16 : (plain.size() + 15) / 16 * 16;
  FUZZ_CHECK(status == HOSTSEAL_OK || status == HOSTSEAL_SHORT_BUFFER);
  FUZZ_CHECK(n == expected);
  if (status != HOSTSEAL_OK) return;
  std::vector<std::uint8_t> back(n);
  std::size_t m = back.size();
  FUZZ_CHECK(Checked(hostseal_cipher_decrypt(cipher, sealed.bytes.get(), n, lengthField,
                                             back.data(), &m)) == HOSTSEAL_OK);
  FUZZ_CHECK(m == (lengthField ? plain.size() : n));
  FUZZ_CHECK(std::equal(plain.begin(), plain.end(), back.begin()));
}

void Decrypt(hostseal_cipher* cipher, FuzzedDataProvider& in) {
  const std::vector<std::uint8_t> data =
      in.ConsumeBytes<std::uint8_t>(in.ConsumeIntegralInRange<std::size_t>(0, 300));
  Output out(in, 320);
  std::size_t n = out.capacity;
  const hostseal_status status = Checked(
      hostseal_cipher_decrypt(cipher, data.empty() && in.ConsumeBool() ? nullptr : data.data(),
                              data.size(), in.ConsumeBool(), out.Data(), &n));
  out.Check(status, n, false);
  if (data.size() % 16 != 0) FUZZ_CHECK(status == HOSTSEAL_NOT_WHOLE_BLOCKS);
}

void Stream(hostseal_cipher* cipher, FuzzedDataProvider& in) {
  Memory plain;
  plain.data = in.ConsumeBytes<std::uint8_t>(in.ConsumeIntegralInRange<std::size_t>(0, 20000));
  Memory sealed;
  if (in.ConsumeBool()) sealed.failAfter = in.ConsumeIntegralInRange(0, 3);
  const hostseal_status status = Checked(hostseal_cipher_encrypt_stream(
      cipher, ReadMemory, &plain, WriteMemory, &sealed, nullptr, nullptr));
  FUZZ_CHECK(status == HOSTSEAL_OK || status == 77);
  if (status != HOSTSEAL_OK) return;
  Memory back;
  FUZZ_CHECK(Checked(hostseal_cipher_decrypt_stream(cipher, ReadMemory, &sealed, WriteMemory, &back,
                                                    nullptr, nullptr)) == HOSTSEAL_OK);
  FUZZ_CHECK(back.data == plain.data);
}

void TextCall(FuzzedDataProvider& in) {
  const std::string text = in.ConsumeRandomLengthString(200);
  const std::int32_t codePage = in.PickValueInArray(kCodePages);
  Output out(in, 700);
  std::size_t n = out.capacity;
  const int which = in.ConsumeIntegralInRange(0, 4);
  hostseal_status status = HOSTSEAL_OK;
  switch (which) {
    case 0:
      status = hostseal_encrypt_text(text.c_str(), codePage, out.Text(), &n);
      break;
    case 1:
      status = hostseal_decrypt_text(text.c_str(), codePage, out.Text(), &n);
      break;
    case 2:
      status = hostseal_utf8_bytes(text.c_str(), in.ConsumeBool(), out.Data(), &n);
      break;
    case 3:
      status = hostseal_ansi_bytes(text.c_str(), codePage, out.Data(), &n);
      break;
    default:
      status = hostseal_ansi_text(reinterpret_cast<const uint8_t*>(text.data()), text.size(),
                                  codePage, out.Text(), &n);
      break;
  }
  out.Check(Checked(status), n, which == 0 || which == 1 || which == 4);
}

void SetKey(hostseal_cipher* cipher, FuzzedDataProvider& in) {
  const std::int32_t bits = in.PickValueInArray(kKeyBits);
  const std::string text = in.ConsumeRandomLengthString(80);
  switch (in.ConsumeIntegralInRange(0, 3)) {
    case 0:
      Checked(hostseal_cipher_set_key(cipher, reinterpret_cast<const uint8_t*>(text.data()),
                                      text.size(), bits));
      break;
    case 1:
      Checked(hostseal_cipher_set_key_hex(cipher, text.c_str()));
      break;
    case 2:
      Checked(hostseal_cipher_set_pass_phrase(cipher, text.c_str(), in.PickValueInArray(kCodePages),
                                              bits));
      break;
    default:
      Checked(hostseal_cipher_set_built_in_key(cipher));
      break;
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  FuzzedDataProvider in(data, size);
  hostseal_cipher* cipher = nullptr;
  FUZZ_CHECK(Checked(hostseal_cipher_new(&cipher)) == HOSTSEAL_OK);
  bool streamed = false;
  while (in.remaining_bytes() > 0) {
    const int operation = in.ConsumeIntegralInRange(0, 10);
    if (operation == 10) {
      // A stream takes a chunk buffer of 4 MB each way, allocated and wiped: rare, and one an
      // input, so that the runs stay fast.
      if (!streamed) Stream(cipher, in);
      streamed = true;
      continue;
    }
    switch (operation % 5) {
      case 0:
        SetKey(cipher, in);
        break;
      case 1:
        ArrayRoundTrip(cipher, in);
        break;
      case 2:
        Decrypt(cipher, in);
        break;
      case 3:
        TextCall(in);
        break;
      default: {
        // A block in place, or with a NULL where a pointer belongs.
        std::uint8_t block[16] = {};
        const bool none = in.ConsumeBool();
        const hostseal_status status =
            Checked(hostseal_cipher_encrypt_block(none ? nullptr : cipher, block, block));
        FUZZ_CHECK(status == (none ? HOSTSEAL_INVALID_ARGUMENT : HOSTSEAL_OK));
        break;
      }
    }
  }
  hostseal_cipher_free(cipher);
  return 0;
}
