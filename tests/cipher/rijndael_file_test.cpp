// File encryption: the cipher-text file against the array framing, statuses and messages,
// safe replacement of the output, file-system errors, the 64-bit chunk plan and progress.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <cstdint>
#include <filesystem>
#include <limits>
#include <random>
#include <string>
#include <utility>
#include <vector>

#include "hostseal/cipher/file_chunk_plan.hpp"
#include "hostseal/cipher/length_field.hpp"
#include "hostseal/cipher/rijndael.hpp"
#include "hostseal/common/raised_error.hpp"
#include "hostseal/common/utf8.hpp"
#include "tests/support/linux/file_test_support.hpp"

namespace hostseal {
namespace {

namespace fs = std::filesystem;
using testing::ReadFile;
using testing::WriteFile;

const std::u16string kWrongKeyWarning =
    u"warning - incorrect length field in decrypted file.\r\nWrong key or keysize?";
const std::u16string kSizeError = u"File Size Error - ciphertext file not a multiple of block size";

ByteArray Key(std::int32_t bits, Byte seed) {
  return ByteArray(testing::Sequence(static_cast<std::size_t>(bits / 8), seed));
}

using testing::kChunk;

class FileCipher : public testing::FileCipherTest {
 protected:
  std::vector<Byte> ArrayEncrypted(const std::vector<Byte>& plain) const {
    return testing::FramedWithLength(c, plain);
  }

  // Encrypts plain through a file and checks the file against the array framing; then
  // decrypts it back through a file.
  void ExpectRoundTrip(const std::vector<Byte>& plain) {
    SCOPED_TRACE("plain length " + std::to_string(plain.size()));
    WriteFile(dir / "plain", plain);
    ASSERT_EQ(c.FileEncrypt(dir / "plain", dir / "cipher", {}), 0);
    const std::vector<Byte> cipher = ReadFile(dir / "cipher");
    EXPECT_EQ(cipher.size(), plain.size() / 16 * 16 + 16);
    EXPECT_TRUE(cipher == ArrayEncrypted(plain));
    ASSERT_EQ(c.FileDecrypt(dir / "back", dir / "cipher", {}), 0);
    EXPECT_TRUE(ReadFile(dir / "back") == plain);
    EXPECT_TRUE(sink.messages.empty());
  }
};

TEST_F(FileCipher, SmallSizesMatchArrayFramingUnderEveryKeyLength) {
  for (std::int32_t bits : {128, 192, 256}) {
    SCOPED_TRACE("key bits " + std::to_string(bits));
    ASSERT_EQ(c.SetCipherKey(Key(bits, 7), bits), 0);
    for (std::size_t n : {0u, 1u, 15u, 16u, 17u, 31u, 32u, 1000u}) {
      ExpectRoundTrip(testing::RandomBytes(n, n + static_cast<std::size_t>(bits)));
    }
  }
  // Under the wide-open u16string interface too.
  WriteFile(dir / "plain", testing::Sequence(40));
  const std::u16string plainName = FromUtf8((dir / "plain").string());
  const std::u16string cipherName = FromUtf8((dir / "cipher").string());
  EXPECT_EQ(c.FileEncrypt(plainName, cipherName), 0);
  EXPECT_EQ(c.FileDecrypt(FromUtf8((dir / "back").string()), cipherName), 0);
  EXPECT_EQ(ReadFile(dir / "back"), testing::Sequence(40));
}

TEST_F(FileCipher, ChunkBoundarySizesMatchArrayFraming) {
  std::random_device device;
  const std::size_t randomSize = 8'000'017 + device() % 1'000'000;
  for (std::size_t n : {std::size_t{3'999'999}, std::size_t{4'000'000}, std::size_t{4'000'016},
                        std::size_t{8'000'001}, randomSize}) {
    ExpectRoundTrip(testing::RandomBytes(n, n));
  }
}

// A new file gets every byte; a file that was there, the cipher file itself among them, is kept.
TEST_F(FileCipher, WrongKeyReportsStatusTwoAndDestroysNoFileThatWasThere) {
  const std::vector<Byte> cipher = CipherUnderAnotherKey();
  WriteFile(dir / "cipher", cipher);
  WriteFile(dir / "only-copy", testing::Sequence(300));
  EXPECT_EQ(c.FileDecrypt(dir / "plain", dir / "cipher", {}), 2);
  EXPECT_EQ(c.FileDecrypt(dir / "only-copy", dir / "cipher", {}), 2);
  EXPECT_EQ(c.FileDecrypt(dir / "cipher", dir / "cipher", {}), 2);
  EXPECT_EQ(sink.messages, std::vector<std::u16string>(3, kWrongKeyWarning));
  ByteArray framed;
  c.ArrayDecrypt(framed, ByteArray(cipher), 0);
  EXPECT_EQ(ReadFile(dir / "plain"), framed.Bytes());
  EXPECT_EQ(fs::file_size(dir / "plain"), cipher.size());
  EXPECT_EQ(ReadFile(dir / "only-copy"), testing::Sequence(300));
  EXPECT_EQ(ReadFile(dir / "cipher"), cipher);
  EXPECT_EQ(dir.Names(), (std::set<std::string>{"cipher", "only-copy", "plain"}));
}

// The writer pads the last block with zero bytes: a wrong key whose last byte happens to be
// below 16 is still found by them, in files and streams alike, and an existing target is kept.
TEST_F(FileCipher, PaddingThatIsNotZeroIsAWrongKey) {
  const std::vector<Byte> cipher = CipherUnderAnotherKey(
      [](const Byte* last) { return last[15] < 15 && !PlainBytesOfLastBlock(last).has_value(); });
  WriteFile(dir / "cipher", cipher);
  WriteFile(dir / "plain", testing::Sequence(7));
  EXPECT_EQ(c.FileDecrypt(dir / "plain", dir / "cipher", {}), 2);
  EXPECT_EQ(ReadFile(dir / "plain"), testing::Sequence(7));
  EXPECT_EQ(sink.messages, std::vector<std::u16string>{kWrongKeyWarning});
}

// Over many random wrong keys the last block passes as often as the rule says: last byte n
// below 16 and the 15 - n bytes before it zero, sum over n of 256^-(16 - n), about 1 in 255
// (the last byte alone let 1 in 16 through).
TEST(LengthField, RandomWrongKeysPassAboutOnceIn255) {
  std::mt19937_64 random(20261209);
  std::vector<Byte> block(16);
  cRijndael right;
  right.SetCipherKey(Key(128, 3), 128);
  ByteArray cipher;
  right.ArrayEncrypt(ByteArray(testing::Sequence(9)), cipher, 1);
  constexpr int kTries = 255 * 200;
  int passed = 0;
  cRijndael wrong;
  for (int i = 0; i < kTries; ++i) {
    std::vector<Byte> key(16);
    for (Byte& b : key) b = static_cast<Byte>(random());
    wrong.SetCipherKey(ByteArray(key), 128);
    ByteArray plain;
    wrong.ArrayDecrypt(plain, cipher, 0);
    if (PlainBytesOfLastBlock(plain.Bytes().data())) ++passed;
  }
  EXPECT_GT(passed, 100);  // about 200 expected; 1 in 16 would be 3188
  EXPECT_LT(passed, 320);
}

TEST_F(FileCipher, RefusedCipherSizesLeaveTargetAlone) {
  WriteFile(dir / "plain", testing::Sequence(50));
  for (std::size_t n : {20u, 0u}) {
    SCOPED_TRACE("cipher length " + std::to_string(n));
    sink.messages.clear();
    WriteFile(dir / "cipher", testing::Sequence(n));
    EXPECT_EQ(c.FileDecrypt(dir / "plain", dir / "cipher", {}), 1);
    EXPECT_EQ(sink.messages, std::vector<std::u16string>{kSizeError});
    EXPECT_EQ(ReadFile(dir / "plain"), testing::Sequence(50));
    EXPECT_EQ(c.FileDecrypt(dir / "new", dir / "cipher", {}), 1);
    EXPECT_FALSE(fs::exists(dir / "new"));
  }
  EXPECT_EQ(dir.Names(), (std::set<std::string>{"cipher", "plain"}));
}

TEST_F(FileCipher, UnusableOutputPathsRaiseAndLeaveNothingBehind) {
  WriteFile(dir / "plain", testing::Sequence(10));
  WriteFile(dir / "regular", testing::Sequence(1));
  fs::create_directory(dir / "folder");
  ASSERT_EQ(::mkfifo((dir / "fifo").c_str(), 0600), 0);

  auto numberOf = [&](const fs::path& out) {
    const auto raised = testing::RaisedBy([&] { c.FileEncrypt(dir / "plain", out, {}); });
    if (raised.number != 52 && raised.number != 0) {
      // A missing folder on the way (76) is named itself; anything else names the output.
      const fs::path named = raised.number == 76 ? out.parent_path() : out;
      EXPECT_NE(raised.description.find('"' + named.string() + '"'), std::string::npos)
          << raised.description;
    }
    return raised.number;
  };
  EXPECT_EQ(numberOf(dir / "regular" / "out"), 76);  // a folder that is a file
  EXPECT_EQ(numberOf(dir / "folder"), 75);           // a folder itself
  EXPECT_EQ(numberOf(dir / "fifo"), 75);             // renaming over it would not write it
  EXPECT_TRUE(fs::is_fifo(dir / "fifo"));
  EXPECT_EQ(numberOf(dir / "absent" / "out"), 76);
  EXPECT_EQ(numberOf(dir / std::string("a\0b", 3)), 52);  // would be cut short at the NUL
  // Folders and files that permissions close: file_fault_root_test, as an ordinary user.
  EXPECT_EQ(dir.Names(), (std::set<std::string>{"fifo", "folder", "plain", "regular"}));
  EXPECT_TRUE(fs::is_empty(dir / "folder"));
}

TEST_F(FileCipher, ExistingTargetGetsExactlyTheNewBytesAndKeepsItsMode) {
  WriteFile(dir / "plain", testing::Sequence(100));
  WriteFile(dir / "cipher", std::vector<Byte>(10'000, 0xEE));
  fs::permissions(dir / "cipher", fs::perms::owner_read | fs::perms::owner_write);
  ASSERT_EQ(c.FileEncrypt(dir / "plain", dir / "cipher", {}), 0);
  EXPECT_EQ(ReadFile(dir / "cipher"), ArrayEncrypted(testing::Sequence(100)));
  EXPECT_EQ(fs::status(dir / "cipher").permissions() & fs::perms::all,
            fs::perms::owner_read | fs::perms::owner_write);

  WriteFile(dir / "back", std::vector<Byte>(10'000, 0xEE));
  ASSERT_EQ(c.FileDecrypt(dir / "back", dir / "cipher", {}), 0);
  EXPECT_EQ(ReadFile(dir / "back"), testing::Sequence(100));

  // A link keeps pointing at the new content (a new file's mode: file_safety_test).
  fs::create_symlink("back", dir / "link");
  ASSERT_EQ(c.FileEncrypt(dir / "plain", dir / "link", {}), 0);
  EXPECT_TRUE(fs::is_symlink(dir / "link"));
  EXPECT_EQ(ReadFile(dir / "back"), ArrayEncrypted(testing::Sequence(100)));
  EXPECT_EQ(dir.Names(), (std::set<std::string>{"back", "cipher", "link", "plain"}));
}

TEST_F(FileCipher, OnePathForBothFilesIsReadBeforeItIsReplaced) {
  const std::vector<Byte> plain = testing::RandomBytes(kChunk + 17, 3);
  WriteFile(dir / "file", plain);
  ASSERT_EQ(c.FileEncrypt(dir / "file", dir / "file", {}), 0);
  EXPECT_TRUE(ReadFile(dir / "file") == ArrayEncrypted(plain));
  ASSERT_EQ(c.FileDecrypt(dir / "file", dir / "file", {}), 0);
  EXPECT_TRUE(ReadFile(dir / "file") == plain);
  EXPECT_EQ(dir.Names(), std::set<std::string>{"file"});
}

// A progress callback that gives up abandons the work as a failure does: the target kept, no
// temporary file. The file-size limit is in file_fault_test.cpp.
TEST_F(FileCipher, NoDescriptorLeaksOnAnyPath) {
  const std::vector<Byte> plain = testing::RandomBytes(kChunk + 3, 5);
  WriteFile(dir / "plain", plain);
  WriteFile(dir / "short", testing::Sequence(20));
  WriteFile(dir / "bad", CipherUnderAnotherKey());
  WriteFile(dir / "regular", {});
  const std::size_t before = testing::CountOpenDescriptors();

  EXPECT_EQ(c.FileEncrypt(dir / "plain", dir / "cipher", {}), 0);
  EXPECT_EQ(c.FileDecrypt(dir / "back", dir / "cipher", {}), 0);
  EXPECT_EQ(c.FileDecrypt(dir / "back", dir / "short", {}), 1);
  EXPECT_EQ(c.FileDecrypt(dir / "back", dir / "bad", {}), 2);
  EXPECT_THROW(c.FileEncrypt(dir / "absent", dir / "cipher", {}), RaisedError);
  EXPECT_THROW(c.FileEncrypt(dir / "plain", dir / "regular" / "x", {}), RaisedError);
  auto stop = [](std::uint64_t done, std::uint64_t total) {
    if (done < total) throw 1;
  };
  EXPECT_THROW(c.FileEncrypt(dir / "plain", dir / "cipher", stop), int);
  EXPECT_THROW(c.FileDecrypt(dir / "back", dir / "cipher", stop), int);

  EXPECT_EQ(testing::CountOpenDescriptors(), before);
  EXPECT_TRUE(ReadFile(dir / "cipher") == ArrayEncrypted(plain));
  EXPECT_TRUE(ReadFile(dir / "back") == plain);
  EXPECT_EQ(dir.Names(),
            (std::set<std::string>{"back", "bad", "cipher", "plain", "regular", "short"}));
}

TEST_F(FileCipher, ProgressIsMonotonicAtMostOncePerChunkAndEndsAtTheTotal) {
  const std::uint64_t L = 2 * kChunk + 1;
  WriteFile(dir / "plain", testing::RandomBytes(L, 6));
  for (bool encrypt : {true, false}) {
    SCOPED_TRACE(encrypt ? "encrypt" : "decrypt");
    std::vector<std::pair<std::uint64_t, std::uint64_t>> calls;
    auto record = [&](std::uint64_t done, std::uint64_t total) { calls.emplace_back(done, total); };
    const std::uint64_t total = encrypt ? L : L / 16 * 16 + 16;
    ASSERT_EQ(encrypt ? c.FileEncrypt(dir / "plain", dir / "cipher", record)
                      : c.FileDecrypt(dir / "back", dir / "cipher", record),
              0);
    ASSERT_FALSE(calls.empty());
    EXPECT_LE(calls.size(), 4u);  // three chunks, and the end
    for (std::size_t i = 0; i < calls.size(); ++i) {
      EXPECT_EQ(calls[i].second, total);
      EXPECT_LE(calls[i].first, total);
      if (i > 0) {
        EXPECT_GT(calls[i].first, calls[i - 1].first);
      }
    }
    EXPECT_EQ(calls.back().first, total);
  }

  std::vector<std::pair<std::uint64_t, std::uint64_t>> calls;
  WriteFile(dir / "empty", {});
  ASSERT_EQ(c.FileEncrypt(dir / "empty", dir / "cipher",
                          [&](std::uint64_t d, std::uint64_t t) { calls.emplace_back(d, t); }),
            0);
  EXPECT_EQ(calls, (std::vector<std::pair<std::uint64_t, std::uint64_t>>{{0, 0}}));
}

TEST(FileChunkPlan, SixtyFourBitLengths) {
  struct Case {
    std::uint64_t plain, cipher, chunks, lastLength;
  };
  const std::uint64_t k31 = std::uint64_t{1} << 31;
  const std::uint64_t k32 = std::uint64_t{1} << 32;
  const Case cases[] = {
      {0, 16, 1, 16},
      {3'999'999, 4'000'000, 1, 4'000'000},
      {4'000'000, 4'000'016, 2, 16},
      {8'000'001, 8'000'016, 3, 16},
      {k31 - 17, k31 - 16, 537, k31 - 16 - 536 * kChunk},  // the most a 32-bit length held
      {k31, k31 + 16, 537, k31 + 16 - 536 * kChunk},
      {k32 + 5, k32 + 16, 1074, k32 + 16 - 1073 * kChunk},
      {1'000 * kChunk - 1, 1'000 * kChunk, 1'000, kChunk},
      {1'000 * kChunk, 1'000 * kChunk + 16, 1'001, 16},
  };
  for (const Case& t : cases) {
    SCOPED_TRACE("plain length " + std::to_string(t.plain));
    const FileChunkPlan plan = PlanFileEncryption(t.plain);
    EXPECT_EQ(plan.cipherLength, t.cipher);
    EXPECT_EQ(plan.chunkCount, t.chunks);
    EXPECT_EQ(plan.lastLength, t.lastLength);
    EXPECT_EQ(plan.lastOffset + plan.lastLength, t.cipher);
    const std::optional<FileChunkPlan> back = PlanFileDecryption(t.cipher);
    ASSERT_TRUE(back.has_value());
    EXPECT_EQ(back->chunkCount, t.chunks);
    EXPECT_EQ(back->lastOffset, plan.lastOffset);
    EXPECT_EQ(back->lastLength, t.lastLength);
  }

  const auto largest = static_cast<std::uint64_t>(std::numeric_limits<std::int64_t>::max());
  EXPECT_EQ(PlanFileEncryption(largest - 31).cipherLength, largest - 15);
  for (std::uint64_t tooLong : {largest - 15, largest, std::numeric_limits<std::uint64_t>::max()}) {
    try {
      PlanFileEncryption(tooLong);
      ADD_FAILURE() << tooLong << " planned";
    } catch (const RaisedError& e) {
      EXPECT_EQ(e.Number(), 6);
    }
  }
  for (std::uint64_t refused : {std::uint64_t{0}, std::uint64_t{20}, k32 + 8, largest + 1}) {
    EXPECT_FALSE(PlanFileDecryption(refused).has_value()) << refused;
  }
}

}  // namespace
}  // namespace hostseal
