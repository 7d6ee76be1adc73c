// Converts one file between UTF-8 and a code page through the library, the same job as
// `iconv -f UTF-8 -t CPnnn` (to-bytes) or `iconv -f CPnnn -t UTF-8` (to-text), for timing
// text_vs_iconv.sh against the iconv command. The way in and out of the 16-bit text is the
// library's own UTF-8 code page, 65001. Prints to standard error the seconds that the two
// conversions took, without reading and writing the files.
// Usage: hostseal_text_convert_driver CODEPAGE to-bytes|to-text IN OUT
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <string>
#include <string_view>
#include <vector>

#include "hostseal/common/raised_error.hpp"
#include "hostseal/text/code_page.hpp"

namespace {

using hostseal::Byte;

std::vector<Byte> ReadAll(const char* path) {
  std::ifstream in(path, std::ios::binary | std::ios::ate);
  std::vector<Byte> bytes(static_cast<std::size_t>(std::max<std::streamoff>(in.tellg(), 0)));
  in.seekg(0);
  in.read(reinterpret_cast<char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
  return bytes;
}

int Usage() {
  std::fputs("usage: hostseal_text_convert_driver CODEPAGE to-bytes|to-text IN OUT\n", stderr);
  return 2;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 5) return Usage();
  const int codePage = std::atoi(argv[1]);
  const std::string_view mode = argv[2];
  if (mode != "to-bytes" && mode != "to-text") return Usage();
  const bool toBytes = mode == "to-bytes";
  try {
    const std::vector<Byte> in = ReadAll(argv[3]);
    const auto start = std::chrono::steady_clock::now();
    const std::u16string text = hostseal::CodePageBytesToText(in, toBytes ? 65001 : codePage);
    const std::vector<Byte> out = hostseal::TextToCodePageBytes(text, toBytes ? codePage : 65001);
    const std::chrono::duration<double> took = std::chrono::steady_clock::now() - start;
    std::FILE* file = std::fopen(argv[4], "wb");
    if (file == nullptr || std::fwrite(out.data(), 1, out.size(), file) != out.size() ||
        std::fclose(file) != 0) {
      std::perror(argv[4]);
      return 1;
    }
    std::fprintf(stderr, "%.6f\n", took.count());
  } catch (const hostseal::RaisedError& error) {
    std::fprintf(stderr, "error %d: %s\n", error.Number(), error.Description().c_str());
    return 3;
  }
  return 0;
}
