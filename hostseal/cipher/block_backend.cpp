#include "hostseal/cipher/block_backend.hpp"

#include <atomic>
#include <cstdlib>

#include "hostseal/cipher/aes_ni/aes_ni_blocks.hpp"
#include "hostseal/cipher/aes_vaes/aes_vaes_blocks.hpp"

#if defined(__x86_64__) || defined(__i386__)
#include <cpuid.h>
#endif

namespace hostseal::cipher_backend {

namespace {

#if defined(__x86_64__) || defined(__i386__)

constexpr BlockBackend kAesNi{"aes-ni", AesNiEncryptBlocks, AesNiDecryptBlocks};
constexpr BlockBackend kVaes{"vaes", VaesEncryptBlocks, VaesDecryptBlocks};

struct Features {
  bool aes = false;
  bool vaes = false;  // VAES with AVX2 and the operating system saving the 256-bit registers
};

Features ReadFeatures() {
  Features f;
  unsigned a = 0;
  unsigned b = 0;
  unsigned c = 0;
  unsigned d = 0;
  if (__get_cpuid(1, &a, &b, &c, &d) == 0) return f;
  const bool sse41 = (c & (1u << 19)) != 0;
  f.aes = sse41 && (c & (1u << 25)) != 0;
  const bool osxsave = (c & (1u << 27)) != 0;
  const bool avx = (c & (1u << 28)) != 0;
  bool ymmSaved = false;
  if (osxsave && avx) {
    unsigned lo = 0;
    unsigned hi = 0;
    __asm__ volatile("xgetbv" : "=a"(lo), "=d"(hi) : "c"(0));
    ymmSaved = (lo & 0x6u) == 0x6u;
  }
  if (__get_cpuid_count(7, 0, &a, &b, &c, &d) != 0) {
    const bool avx2 = (b & (1u << 5)) != 0;
    const bool vaes = (c & (1u << 9)) != 0;
    f.vaes = f.aes && ymmSaved && avx2 && vaes;
  }
  return f;
}

const Features& CpuFeatures() {
  static const Features features = ReadFeatures();
  return features;
}

#endif

// Resolves a path name to its back-end; false when this processor cannot run it.
bool Resolve(std::string_view name, const BlockBackend*& backend) {
  if (name == "portable") {
    backend = nullptr;
    return true;
  }
#if defined(__x86_64__) || defined(__i386__)
  if (name == kVaes.name && CpuFeatures().vaes) {
    backend = &kVaes;
    return true;
  }
  if (name == kAesNi.name && CpuFeatures().aes) {
    backend = &kAesNi;
    return true;
  }
#endif
  return false;
}

bool IsPathName(std::string_view name) {
  return name == "portable" || name == "aes-ni" || name == "vaes";
}

const BlockBackend* Detect() {
  const char* forced = std::getenv("HOSTSEAL_CPU");
  const BlockBackend* backend = nullptr;
  if (forced != nullptr && IsPathName(forced) && Resolve(forced, backend)) return backend;
  for (std::string_view best : {"vaes", "aes-ni"}) {
    if (Resolve(best, backend)) return backend;
  }
  return nullptr;
}

std::atomic<const BlockBackend*>& Current() {
  static std::atomic<const BlockBackend*> current{Detect()};
  return current;
}

}  // namespace

const BlockBackend* Active() {
  return Current().load(std::memory_order_relaxed);
}

std::string_view ActiveName() {
  const BlockBackend* backend = Active();
  return backend != nullptr ? backend->name : "portable";
}

PathRequest RequestedPath() {
  const char* forced = std::getenv("HOSTSEAL_CPU");
  PathRequest request;
  if (forced == nullptr || *forced == '\0') return request;
  request.value = forced;
  const BlockBackend* backend = nullptr;
  if (!IsPathName(request.value)) {
    request.kind = PathRequest::Kind::kUnknown;
  } else if (Resolve(request.value, backend)) {
    request.kind = PathRequest::Kind::kAvailable;
  } else {
    request.kind = PathRequest::Kind::kUnavailable;
  }
  return request;
}

std::string_view PathNames() {
  return "portable, aes-ni, vaes";
}

bool Select(std::string_view name) {
  const BlockBackend* backend = nullptr;
  if (!Resolve(name, backend)) return false;
  Current().store(backend, std::memory_order_relaxed);
  return true;
}

}  // namespace hostseal::cipher_backend
