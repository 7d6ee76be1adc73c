// LoadFileBytes on a file made of the input, with sizes around the 32,767-byte limit, and on
// file names made of the input inside a private folder. Checked: the bytes and the length come
// back with one extra zero element; a file over the limit raises 6 "Overflow"; names that no
// path can carry raise 52, missing files 53, folders 75; and every failure leaves aData and
// nSize as they were.
//
// Input: byte 0 bit 0 stretches the file to 32,759 to 32,775 bytes (byte 1 picks the size;
// the rest of the input is repeated to fill it), bit 1 makes the name from the input instead.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

#include "fuzz/fuzz_check.hpp"
#include "fuzz/fuzz_temp_folder.hpp"
#include "hostseal/common/raised_error.hpp"
#include "hostseal/text/file_bytes.hpp"

namespace {

using hostseal::Byte;
using hostseal::ByteArray;
namespace fs = std::filesystem;

constexpr std::size_t kLimit = 32767;
constexpr std::size_t kNameChars = 8;

// Loads and returns the raised error number, 0 when it succeeded; on a failure checks that
// the outputs kept their former values.
std::int32_t Load(const std::u16string& name, ByteArray& data, std::int16_t& size) {
  const ByteArray formerData(std::vector<Byte>{7, 7});
  data = formerData;
  size = 1234;
  try {
    hostseal::LoadFileBytes(name, data, size);
  } catch (const hostseal::RaisedError& e) {
    FUZZ_CHECK(data.Bytes() == formerData.Bytes() && size == 1234);
    return e.Number();
  }
  return 0;
}

void CheckContent(const std::uint8_t* input, std::size_t inputSize, bool stretch) {
  std::vector<Byte> content(input, input + inputSize);
  if (stretch) {
    const std::size_t target = kLimit - 8 + (inputSize > 0 ? input[0] % 17u : 0u);
    std::vector<Byte> tiled(target, 0);
    if (!content.empty()) {
      for (std::size_t i = 0; i < target; ++i) tiled[i] = content[i % content.size()];
    }
    content.swap(tiled);
  }
  const fs::path file = hostseal::fuzzing::FuzzFolder() / "data.bin";
  hostseal::fuzzing::WriteWholeFile(file, content.data(), content.size());

  ByteArray data;
  std::int16_t size = 0;
  const std::int32_t error = Load(file.u16string(), data, size);
  if (content.size() > kLimit) {
    FUZZ_CHECK(error == 6);
  } else {
    FUZZ_CHECK(error == 0);
    FUZZ_CHECK(static_cast<std::size_t>(size) == content.size());
    FUZZ_CHECK(data.FirstIndex() == 0 && data.Size() == content.size() + 1);
    FUZZ_CHECK(data.Bytes().back() == 0);
    FUZZ_CHECK(std::equal(content.begin(), content.end(), data.Bytes().begin()));
  }
  fs::remove(file);
}

// A name of up to eight 16-bit characters from the input, with "/" kept out so that it stays
// inside the private folder; no file of that name exists.
void CheckName(const std::uint8_t* input, std::size_t inputSize) {
  std::u16string leaf;
  for (std::size_t i = 0; i + 1 < inputSize && leaf.size() < kNameChars; i += 2) {
    const auto c = static_cast<char16_t>(input[i] | (input[i + 1] << 8));
    leaf.push_back(c == u'/' ? u'_' : c);
  }
  bool unusable = false;
  for (std::size_t i = 0; i < leaf.size(); ++i) {
    const char16_t c = leaf[i];
    const bool high = c >= 0xD800 && c <= 0xDBFF;
    const bool low = c >= 0xDC00 && c <= 0xDFFF;
    if (high && i + 1 < leaf.size() && leaf[i + 1] >= 0xDC00 && leaf[i + 1] <= 0xDFFF) {
      ++i;
    } else if (c == 0 || high || low) {
      unusable = true;
    }
  }
  const bool folder = leaf.empty() || leaf == u"." || leaf == u"..";
  const std::u16string name = hostseal::fuzzing::FuzzFolder().u16string() + u"/" + leaf;

  ByteArray data;
  std::int16_t size = 0;
  const std::int32_t error = Load(name, data, size);
  FUZZ_CHECK(error == (unusable ? 52 : folder ? 75 : 53));
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* input, std::size_t size) {
  if (size == 0) return 0;
  const Byte mode = input[0];
  if ((mode & 2u) != 0) {
    CheckName(input + 1, size - 1);
  } else {
    CheckContent(input + 1, size - 1, (mode & 1u) != 0);
  }
  FUZZ_CHECK(hostseal::fuzzing::ListFolder(hostseal::fuzzing::FuzzFolder()).empty());
  return 0;
}
