// FileDecrypt on a cipher-text file made of the input, in a private folder in memory. Checked:
// the result equals ArrayDecrypt with the length field over the same bytes; the cipher file is
// never changed; a refusal (status 1) or a raised error leaves neither a temporary file nor a
// changed plain file behind; and the plain file comes back unchanged through FileEncrypt and
// FileDecrypt.
//
// Input: byte 0 bit 0 puts a former plain file in place, bit 1 makes the plain path a folder;
// the rest is the cipher file.
#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <set>
#include <string>
#include <vector>

#include "fuzz/fuzz_check.hpp"
#include "fuzz/fuzz_temp_folder.hpp"
#include "hostseal/cipher/rijndael.hpp"
#include "hostseal/common/raised_error.hpp"
#include "tests/support/recording_sink.hpp"

namespace {

using hostseal::Byte;
using hostseal::ByteArray;
namespace fs = std::filesystem;
using hostseal::fuzzing::FuzzFolder;
using hostseal::fuzzing::ListFolder;
using hostseal::fuzzing::ReadWholeFile;
using hostseal::fuzzing::WriteWholeFile;

constexpr char kFormer[] = "former plain content";

std::vector<Byte> ToBytes(const std::string& s) {
  return {s.begin(), s.end()};
}

std::u16string Name(const fs::path& p) {
  return p.u16string();
}

void CheckRoundTrip(const hostseal::cRijndael& cipher, const fs::path& plain,
                    const std::string& plainContent) {
  const fs::path again = FuzzFolder() / "again.bin";
  const fs::path back = FuzzFolder() / "back.bin";
  FUZZ_CHECK(cipher.FileEncrypt(Name(plain), Name(again)) == 0);
  ByteArray framed;
  cipher.ArrayEncrypt(ByteArray(ToBytes(plainContent)), framed, 1);
  FUZZ_CHECK(ToBytes(ReadWholeFile(again)) == framed.Bytes());
  FUZZ_CHECK(cipher.FileDecrypt(Name(back), Name(again)) == 0);
  FUZZ_CHECK(ReadWholeFile(back) == plainContent);
  fs::remove(again);
  fs::remove(back);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* input, std::size_t size) {
  if (size == 0) return 0;
  const bool former = (input[0] & 1u) != 0;
  const bool folderTarget = (input[0] & 2u) != 0;
  const std::string content(reinterpret_cast<const char*>(input + 1), size - 1);

  const fs::path cipherFile = FuzzFolder() / "cipher.bin";
  const fs::path plainFile = FuzzFolder() / "plain.bin";
  WriteWholeFile(cipherFile, content.data(), content.size());
  if (folderTarget) {
    fs::create_directory(plainFile);
  } else if (former) {
    WriteWholeFile(plainFile, kFormer, sizeof kFormer - 1);
  }
  const std::set<std::string> before = ListFolder(FuzzFolder());

  hostseal::testing::RecordingSink sink;
  hostseal::cRijndael cipher(sink);
  std::vector<Byte> key(16);
  for (std::size_t i = 0; i < key.size(); ++i) key[i] = static_cast<Byte>(i);
  cipher.SetCipherKey(ByteArray(key), 128);

  std::int32_t status = -100;
  bool raised = false;
  try {
    status = cipher.FileDecrypt(Name(plainFile), Name(cipherFile));
  } catch (const hostseal::RaisedError&) {
    raised = true;
  }

  FUZZ_CHECK(ReadWholeFile(cipherFile) == content);
  const bool sizeError = content.empty() || content.size() % 16 != 0;
  if (sizeError || raised) {
    // Refused or failed: the folder holds what it held, the plain file is as it was.
    FUZZ_CHECK(ListFolder(FuzzFolder()) == before);
    FUZZ_CHECK(raised == (!sizeError && folderTarget));
    if (sizeError) {
      FUZZ_CHECK(status == 1);
      FUZZ_CHECK(sink.messages.size() == 1 &&
                 sink.messages[0] ==
                     u"File Size Error - ciphertext file not a multiple of block size");
    }
    if (folderTarget) {
      FUZZ_CHECK(fs::is_directory(plainFile));
    } else if (former) {
      FUZZ_CHECK(ReadWholeFile(plainFile) == kFormer);
    } else {
      FUZZ_CHECK(!fs::exists(plainFile));
    }
  } else {
    std::set<std::string> expected = before;
    expected.insert("plain.bin");
    FUZZ_CHECK(ListFolder(FuzzFolder()) == expected);

    ByteArray oracle;
    hostseal::testing::RecordingSink arraySink;
    hostseal::cRijndael arrayCipher(arraySink);
    arrayCipher.SetCipherKey(ByteArray(key), 128);
    const std::int32_t arrayStatus =
        arrayCipher.ArrayDecrypt(oracle, ByteArray(ToBytes(content)), 1);
    const std::string plainContent = ReadWholeFile(plainFile);
    FUZZ_CHECK(ToBytes(plainContent) == oracle.Bytes());
    // A length field out of range is the sign of a wrong key: reported as status 2.
    FUZZ_CHECK(status == (arrayStatus == 0 ? 0 : 2));
    if (arrayStatus == 0) {
      FUZZ_CHECK(sink.messages.empty());
    } else {
      FUZZ_CHECK(
          sink.messages.size() == 1 &&
          sink.messages[0] ==
              u"warning - incorrect length field in decrypted file.\r\nWrong key or keysize?");
    }
    CheckRoundTrip(cipher, plainFile, plainContent);
  }

  fs::remove_all(plainFile);
  fs::remove(cipherFile);
  FUZZ_CHECK(ListFolder(FuzzFolder()).empty());
  return 0;
}
