// The cipher-file framing over streams: the same bytes as the array framing with the length
// field, whatever sizes the reads come in, through memory and through a real pipe.
#include <gtest/gtest.h>
#include <unistd.h>

#include <algorithm>
#include <cstdint>
#include <random>
#include <thread>
#include <vector>

#include "hostseal/cipher/rijndael.hpp"
#include "hostseal/fs/byte_stream.hpp"
#include "hostseal/fs/descriptor_stream.hpp"
#include "tests/support/linux/file_test_support.hpp"

namespace hostseal {
namespace {

// Hands out its bytes in reads of random sizes, as pipes do.
class ChoppySource final : public ByteSource {
 public:
  ChoppySource(const std::vector<Byte>& bytes, std::uint32_t seed)
      : m_Bytes(bytes), m_Random(seed) {}
  std::size_t ReadSome(Byte* buffer, std::size_t n) override {
    const std::size_t most = std::min(n, m_Bytes.size() - m_At);
    const std::size_t take =
        most == 0 ? 0 : std::uniform_int_distribution<std::size_t>(1, most)(m_Random);
    std::copy_n(m_Bytes.begin() + static_cast<std::ptrdiff_t>(m_At), take, buffer);
    m_At += take;
    return take;
  }

 private:
  const std::vector<Byte>& m_Bytes;
  std::size_t m_At = 0;
  std::mt19937 m_Random;
};

class CollectingSink final : public ByteSink {
 public:
  void Write(const Byte* data, std::size_t n) override {
    bytes.insert(bytes.end(), data, data + n);
  }
  std::vector<Byte> bytes;
};

using StreamCipher = testing::FileCipherTest;

TEST_F(StreamCipher, SameBytesAsTheFileFramingInAnyReadSizes) {
  for (const std::size_t n :
       {std::size_t{0}, std::size_t{15}, std::size_t{16}, std::size_t{17}, std::size_t{3'999'999},
        std::size_t{4'000'000}, std::size_t{4'000'016}, std::size_t{8'000'001}}) {
    SCOPED_TRACE(n);
    const std::vector<Byte> plain = testing::RandomBytes(n, n);
    ChoppySource plainSource(plain, static_cast<std::uint32_t>(n));
    CollectingSink cipher;
    ASSERT_EQ(c.StreamEncrypt(plainSource, cipher, {}), 0);
    EXPECT_TRUE(cipher.bytes == testing::FramedWithLength(c, plain));
    ChoppySource cipherSource(cipher.bytes, static_cast<std::uint32_t>(n + 1));
    CollectingSink back;
    ASSERT_EQ(c.StreamDecrypt(back, cipherSource, {}), 0);
    EXPECT_TRUE(back.bytes == plain);
  }
  EXPECT_TRUE(sink.messages.empty());
}

TEST_F(StreamCipher, SizeErrorsAndWrongKeysAreReportedAtTheEnd) {
  const std::vector<Byte> wrongSize(4'000'000 + 16 + 5, 7);
  ChoppySource source(wrongSize, 1);
  CollectingSink plain;
  EXPECT_EQ(c.StreamDecrypt(plain, source, {}), 1);
  EXPECT_EQ(plain.bytes.size(), 4'000'000u);  // a stream cannot take back what went out
  const std::vector<Byte> empty;
  ChoppySource nothing(empty, 2);
  EXPECT_EQ(c.StreamDecrypt(plain, nothing, {}), 1);

  const std::vector<Byte> cipher = CipherUnderAnotherKey();
  ChoppySource wrongKey(cipher, 3);
  CollectingSink all;
  EXPECT_EQ(c.StreamDecrypt(all, wrongKey, {}), 2);
  EXPECT_EQ(all.bytes.size(), cipher.size());
  EXPECT_EQ(sink.messages.size(), 3u);
}

TEST_F(StreamCipher, ThroughAPipeAndStoppedByItsProgressCallback) {
  const std::vector<Byte> plain = testing::RandomBytes(9'000'000, 5);
  int fds[2];
  ASSERT_EQ(::pipe(fds), 0);
  std::thread writer([&] {
    DescriptorSink writeEnd(fds[1], "pipe");
    writeEnd.Write(plain.data(), plain.size());
    ::close(fds[1]);
  });
  DescriptorSource source(fds[0], "pipe");
  CollectingSink cipher;
  std::vector<std::uint64_t> reports;
  ASSERT_EQ(c.StreamEncrypt(source, cipher, [&](std::uint64_t done) { reports.push_back(done); }),
            0);
  writer.join();
  ::close(fds[0]);
  EXPECT_TRUE(cipher.bytes == testing::FramedWithLength(c, plain));
  EXPECT_EQ(reports, (std::vector<std::uint64_t>{4'000'000, 8'000'000, 9'000'000}));

  struct Stop {};
  ChoppySource again(cipher.bytes, 6);
  CollectingSink partial;
  EXPECT_THROW(c.StreamDecrypt(partial, again, [](std::uint64_t) { throw Stop{}; }), Stop);
  EXPECT_EQ(partial.bytes.size(), 4'000'000u);
}

}  // namespace
}  // namespace hostseal
