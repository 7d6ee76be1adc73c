// FileDecrypt on a cipher-text file made of the input, in a private folder in memory, into a
// target whose name, former content, mode and links come from the input. Checked: a result
// equals ArrayDecrypt with the length field over the same bytes and comes back through
// FileEncrypt; the cipher file changes only when it is itself the target of a success; a
// refusal (status 1), a raised error or a wrong key (status 2) leaves a former target with its
// content and mode, and nothing new in the folder; a new target gets the cipher file's mode
// less the umask, a former one keeps its own; hard links see the new content and a link stays
// a link. A name that no file can have raises 52.
//
// Input: byte 0 flags: bit 0 a former target, bit 1 the target is a folder, bit 2 the target
// is a symbolic link to "linked.bin", bit 3 the former target has a second hard link, bit 4
// the cipher file is the target, bit 5 temporary files with names (as on file systems without
// unnamed ones). Byte 1: the permission bits of group and others for both files. Byte 2: the
// number n (mod 16) of 16-bit units of the target's name that follow (little-endian), after
// "p-"; none: "plain.bin". The rest is the cipher file.
#include <sys/stat.h>

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <set>
#include <string>
#include <vector>

#include "fuzz/fuzz_check.hpp"
#include "fuzz/fuzz_temp_folder.hpp"
#include "hostseal/cipher/length_field.hpp"
#include "hostseal/cipher/rijndael.hpp"
#include "hostseal/common/raised_error.hpp"
#include "hostseal/fs/linux/temporary_file.hpp"
#include "tests/support/cipher_test_support.hpp"
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
constexpr mode_t kUmask = 022;

std::vector<Byte> ToBytes(const std::string& s) {
  return {s.begin(), s.end()};
}

mode_t ModeOf(const fs::path& path) {
  struct stat info {};
  FUZZ_CHECK(::lstat(path.c_str(), &info) == 0);
  return info.st_mode & 07777;
}

bool HasUnpairedSurrogate(const std::u16string& name) {
  for (std::size_t i = 0; i < name.size(); ++i) {
    const bool high = name[i] >= 0xD800 && name[i] <= 0xDBFF;
    const bool low = name[i] >= 0xDC00 && name[i] <= 0xDFFF;
    if (high && i + 1 < name.size() && name[i + 1] >= 0xDC00 && name[i + 1] <= 0xDFFF) {
      ++i;
    } else if (high || low) {
      return true;
    }
  }
  return false;
}

void CheckRoundTrip(const hostseal::cRijndael& cipher, const std::u16string& plain,
                    const std::string& plainContent) {
  const fs::path again = FuzzFolder() / "again.bin";
  const fs::path back = FuzzFolder() / "back.bin";
  FUZZ_CHECK(cipher.FileEncrypt(plain, again.u16string()) == 0);
  ByteArray framed;
  cipher.ArrayEncrypt(ByteArray(ToBytes(plainContent)), framed, 1);
  FUZZ_CHECK(ToBytes(ReadWholeFile(again)) == framed.Bytes());
  FUZZ_CHECK(cipher.FileDecrypt(back.u16string(), again.u16string()) == 0);
  FUZZ_CHECK(ReadWholeFile(back) == plainContent);
  fs::remove(again);
  fs::remove(back);
}

struct Layout {
  bool former = false;
  bool folderTarget = false;
  bool linkTarget = false;
  bool hardLink = false;
  bool intoCipher = false;
  bool namedTemporary = false;
  mode_t mode = 0600;
  std::u16string name;  // of the target, in the folder
  std::string content;  // of the cipher file
};

Layout Read(const std::uint8_t* input, std::size_t size) {
  Layout layout;
  const std::uint8_t flags = input[0];
  layout.former = (flags & 1u) != 0;
  layout.folderTarget = (flags & 2u) != 0;
  layout.linkTarget = (flags & 4u) != 0;
  layout.hardLink = (flags & 8u) != 0;
  layout.intoCipher = (flags & 16u) != 0;
  layout.namedTemporary = (flags & 32u) != 0;
  if (layout.intoCipher) {
    // The cipher file is the target: no other file stands there.
    layout.former = layout.folderTarget = layout.linkTarget = layout.hardLink = false;
  }
  layout.mode = 0600 | (input[1] & 077u);
  std::size_t at = 3;
  const std::size_t units = input[2] % 16u;
  if (units == 0) {
    layout.name = u"plain.bin";
  } else {
    layout.name = u"p-";
    for (std::size_t i = 0; i < units && at + 1 < size; ++i, at += 2) {
      auto unit = static_cast<char16_t>(input[at] | input[at + 1] << 8);
      if (unit == 0 || unit == u'/') unit = u'x';
      layout.name += unit;
    }
  }
  if (at < size) layout.content.assign(reinterpret_cast<const char*>(input + at), size - at);
  return layout;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* input, std::size_t size) {
  if (size < 3) return 0;
  ::umask(kUmask);
  const Layout in = Read(input, size);
  hostseal::AllowUnnamedTemporaryFiles(!in.namedTemporary);

  const fs::path folder = FuzzFolder();
  const fs::path cipherFile = folder / "cipher.bin";
  const std::u16string cipherName = cipherFile.u16string();
  const std::u16string targetName =
      in.intoCipher ? cipherName : folder.u16string() + u"/" + in.name;
  const bool badName = HasUnpairedSurrogate(in.name) && !in.intoCipher;
  WriteWholeFile(cipherFile, in.content.data(), in.content.size());
  ::chmod(cipherFile.c_str(), in.mode);

  // What the target path names before the call; a bad name names nothing.
  fs::path target;
  if (!badName && !in.intoCipher) {
    target = fs::path(targetName);
    fs::path file = target;
    if (in.linkTarget) {
      file = folder / "linked.bin";
      fs::create_symlink("linked.bin", target);
    }
    if (in.folderTarget) {
      fs::create_directory(file);
    } else if (in.former) {
      WriteWholeFile(file, kFormer, sizeof kFormer - 1);
      ::chmod(file.c_str(), in.mode);
      if (in.hardLink) fs::create_hard_link(file, folder / "hard.bin");
    }
  }
  const fs::path written = in.intoCipher               ? cipherFile
                           : in.linkTarget && !badName ? folder / "linked.bin"
                                                       : target;
  const bool existed = in.intoCipher || (!badName && (in.folderTarget || in.former));
  const std::set<std::string> before = ListFolder(folder);

  hostseal::testing::RecordingSink sink;
  hostseal::cRijndael cipher(sink);
  const std::vector<Byte> key = hostseal::testing::Sequence(16);
  cipher.SetCipherKey(ByteArray(key), 128);

  std::int32_t status = -100;
  std::int32_t raised = 0;
  try {
    status = cipher.FileDecrypt(targetName, cipherName);
  } catch (const hostseal::RaisedError& e) {
    raised = e.Number();
  }

  const bool sizeError = in.content.empty() || in.content.size() % 16 != 0;
  ByteArray oracle;
  std::int32_t arrayStatus = 0;
  if (!sizeError) {
    hostseal::testing::RecordingSink arraySink;
    hostseal::cRijndael arrayCipher(arraySink);
    arrayCipher.SetCipherKey(ByteArray(key), 128);
    arrayStatus = arrayCipher.ArrayDecrypt(oracle, ByteArray(ToBytes(in.content)), 1);
    // Files also take padding that is not zero as a wrong key; the array framing does not.
    ByteArray raw;
    arrayCipher.ArrayDecrypt(raw, ByteArray(ToBytes(in.content)), 0);
    if (arrayStatus == 0 &&
        !hostseal::PlainBytesOfLastBlock(raw.Bytes().data() + raw.Size() - 16)) {
      arrayStatus = 1;
      oracle = raw;
    }
  }

  if (badName) {
    FUZZ_CHECK(raised == 52);
  } else if (sizeError) {
    FUZZ_CHECK(raised == 0 && status == 1);
    FUZZ_CHECK(sink.messages.size() == 1 &&
               sink.messages[0] ==
                   u"File Size Error - ciphertext file not a multiple of block size");
  } else if (in.folderTarget) {
    FUZZ_CHECK(raised == 75);
  } else {
    FUZZ_CHECK(raised == 0);
    // A length field out of range, or padding that is not zero, is the sign of a wrong key:
    // reported as status 2.
    FUZZ_CHECK(status == (arrayStatus == 0 ? 0 : 2));
    if (arrayStatus != 0) {
      FUZZ_CHECK(
          sink.messages.size() == 1 &&
          sink.messages[0] ==
              u"warning - incorrect length field in decrypted file.\r\nWrong key or keysize?");
    } else {
      FUZZ_CHECK(sink.messages.empty());
    }
  }

  const bool replaced = raised == 0 && status == 0;
  const bool createdFromWrongKey = raised == 0 && status == 2 && !existed;
  std::set<std::string> expected = before;
  if (createdFromWrongKey || (replaced && !existed)) {
    expected.insert(written.filename().string());
  }
  FUZZ_CHECK(ListFolder(folder) == expected);
  if (replaced || createdFromWrongKey) {
    const std::string plainContent = ReadWholeFile(written);
    FUZZ_CHECK(ToBytes(plainContent) == oracle.Bytes());
    FUZZ_CHECK(ModeOf(written) == (existed ? in.mode : in.mode & ~kUmask));
    if (in.hardLink && in.former) FUZZ_CHECK(ReadWholeFile(folder / "hard.bin") == plainContent);
    if (in.linkTarget) FUZZ_CHECK(fs::is_symlink(target));
    if (replaced) CheckRoundTrip(cipher, targetName, plainContent);
  } else {
    // Nothing was put in place: whatever the target named is as it was.
    FUZZ_CHECK(ReadWholeFile(cipherFile) == in.content);
    if (!in.intoCipher && !badName) {
      if (in.folderTarget) {
        FUZZ_CHECK(fs::is_directory(written));
      } else if (in.former) {
        FUZZ_CHECK(ReadWholeFile(written) == kFormer);
        FUZZ_CHECK(ModeOf(written) == in.mode);
      } else {
        FUZZ_CHECK(!fs::exists(written));
      }
    }
  }
  if (!in.intoCipher && !(replaced || createdFromWrongKey)) {
    FUZZ_CHECK(ReadWholeFile(cipherFile) == in.content);
  }

  for (const std::string& name : ListFolder(folder)) fs::remove_all(folder / name);
  return 0;
}
