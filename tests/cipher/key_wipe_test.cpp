// Key hygiene: round keys are wiped when a cipher object goes (and when a shorter key replaces
// a longer one: rijndael_key_schedule_test.cpp), and the buffers that held pass-phrase bytes
// are wiped before they are freed.
//
// This program replaces the global operator new and delete so that it can look into every
// block just before it is freed; keep it a program of its own.
#include <gtest/gtest.h>
#include <malloc.h>

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <functional>
#include <memory>
#include <new>
#include <string>
#include <vector>

#include "hostseal/cipher/pass_phrase.hpp"
#include "hostseal/cipher/rijndael.hpp"
#include "hostseal/text/code_page.hpp"
#include "hostseal/text/code_page_table.hpp"
#include "hostseal/text/linux/code_page_converter.hpp"
#include "tests/cipher/rijndael_test_access.hpp"
#include "tests/support/cipher_test_support.hpp"
#include "tests/support/scoped_code_page.hpp"

namespace {

// While a marker is set, every block freed through operator delete is searched for it.
const void* g_Marker = nullptr;
std::size_t g_MarkerSize = 0;
int g_BlocksWithMarker = 0;

void InspectFreedBlock(void* p) noexcept {
  if (p == nullptr || g_Marker == nullptr) return;
  const std::size_t size = ::malloc_usable_size(p);
  if (::memmem(p, size, g_Marker, g_MarkerSize) != nullptr) ++g_BlocksWithMarker;
}

}  // namespace

void* operator new(std::size_t size) {
  if (void* p = std::malloc(size == 0 ? 1 : size)) return p;
  throw std::bad_alloc();
}
void* operator new[](std::size_t size) {
  return ::operator new(size);
}
void operator delete(void* p) noexcept {
  InspectFreedBlock(p);
  std::free(p);
}
void operator delete[](void* p) noexcept {
  ::operator delete(p);
}
void operator delete(void* p, std::size_t) noexcept {
  ::operator delete(p);
}
void operator delete[](void* p, std::size_t) noexcept {
  ::operator delete(p);
}

namespace hostseal {
namespace {

using Access = cRijndaelTestAccess;

// Counts the freed blocks that still hold `marker` while `work` runs.
int FreedBlocksHolding(const std::vector<Byte>& marker, const std::function<void()>& work) {
  g_BlocksWithMarker = 0;
  g_MarkerSize = marker.size();
  g_Marker = marker.data();
  work();
  g_Marker = nullptr;
  return g_BlocksWithMarker;
}

std::vector<Byte> AsciiBytes(std::u16string_view text) {
  return std::vector<Byte>(text.begin(), text.end());
}

TEST(KeyWipe, DestroyedObjectLeavesNoRoundKeysBehind) {
  alignas(cRijndael) unsigned char storage[sizeof(cRijndael)];
  auto* c = new (storage) cRijndael;
  c->SetCipherKey(ByteArray(testing::Sequence(32, 0x51)), 256);
  const auto* enc = reinterpret_cast<const unsigned char*>(Access::EncRoundKey(*c).data());
  const auto* dec = reinterpret_cast<const unsigned char*>(Access::DecRoundKey(*c).data());
  constexpr std::size_t kKeyBytes = 60 * 4;
  const auto nonZero = [](const unsigned char* p) {
    std::size_t count = 0;
    for (std::size_t i = 0; i < kKeyBytes; ++i) count += p[i] != 0 ? 1 : 0;
    return count;
  };
  ASSERT_GT(nonZero(enc), kKeyBytes / 2);
  ASSERT_GT(nonZero(dec), kKeyBytes / 2);
  c->~cRijndael();
  EXPECT_EQ(nonZero(enc), 0u);
  EXPECT_EQ(nonZero(dec), 0u);
}

TEST(KeyWipe, ObjectsOnTheHeapAreFreedWithoutTheirKey) {
  const ByteArray key(testing::Sequence(32, 0xA7));
  // Round key 0 is the first 16 key bytes.
  const std::vector<Byte> head(key.Bytes().begin(), key.Bytes().begin() + 16);
  EXPECT_EQ(FreedBlocksHolding(head,
                               [&] {
                                 auto c = std::make_unique<cRijndael>();
                                 c->SetCipherKey(key, 256);
                                 auto copy = std::make_unique<cRijndael>(*c);
                                 ByteArray a;
                                 ByteArray b;
                                 c->ArrayEncrypt(key, a, 1);
                                 copy->ArrayEncrypt(key, b, 1);
                                 EXPECT_EQ(a, b);
                               }),
            0);
}

TEST(KeyWipe, PassPhraseBuffersAreWipedBeforeTheyAreFreed) {
  cRijndael c;
  for (const std::u16string phrase :
       {u"short phrase", u"a pass phrase longer than the 32-byte key"}) {
    SCOPED_TRACE(std::string(phrase.begin(), phrase.end()));
    // Its first eight bytes are in every buffer that held the phrase.
    const std::vector<Byte> head = AsciiBytes(std::u16string_view(phrase).substr(0, 8));
    EXPECT_EQ(FreedBlocksHolding(head, [&] { c.SetCipherKeyString(phrase, 256); }), 0);
  }
  // The built-in pass phrase on the way of the text encryption.
  const std::vector<Byte> builtIn = AsciiBytes(kBuiltInPassPhrase);
  std::u16string hex;
  EXPECT_EQ(FreedBlocksHolding(builtIn, [&] { hex = c.Encrypt(u"some text"); }), 0);
  EXPECT_EQ(FreedBlocksHolding(builtIn, [&] { EXPECT_EQ(c.Decrypt(hex), u"some text"); }), 0);
}

TEST(KeyWipe, NonAsciiPassPhrasesLeaveNoCodePageBytesInFreedBuffers) {
  // Long enough that every buffer of the conversion is on the heap; the emoji takes the way
  // through iconv in GB18030, the rest the code page's map.
  const std::u16string phrase = u"\u4E2D\u6587\u5BC6\u7801 caf\u00E9 \U0001F600 \u4E2D\u6587";
  // The first time GB18030 (the code page that goes through iconv) meets characters, it looks
  // them up in a batch, a zero byte between any two: the first two characters so arranged must
  // not be left behind either. First, before anything else has made the map read them.
  {
    const testing::ScopedCodePage scoped(54936);
    const CodePageConverter plainIconv(*FindCodePage(54936));
    std::vector<Byte> batch;
    plainIconv.AppendBytesThroughIconv(phrase.substr(0, 1), batch);
    batch.push_back(0);
    plainIconv.AppendBytesThroughIconv(phrase.substr(1, 1), batch);
    cRijndael c;
    EXPECT_EQ(FreedBlocksHolding(batch, [&] { c.SetCipherKeyString(phrase, 256); }), 0);
  }
  for (const std::int32_t page : {936, 54936, 65001}) {
    SCOPED_TRACE(page);
    const testing::ScopedCodePage scoped(page);
    const std::vector<Byte> bytes = TextToAnsiBytes(phrase);
    const std::vector<Byte> head(bytes.begin(), bytes.begin() + 8);
    cRijndael c;
    EXPECT_EQ(FreedBlocksHolding(head, [&] { c.SetCipherKeyString(phrase, 256); }), 0);
    const std::vector<Byte> tail(bytes.end() - 8, bytes.end());
    EXPECT_EQ(FreedBlocksHolding(tail, [&] { c.SetCipherKeyString(phrase, 256); }), 0);
  }
}

}  // namespace
}  // namespace hostseal
