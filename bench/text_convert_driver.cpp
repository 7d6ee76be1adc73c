// Converts one file between UTF-8 and a code page through the library, the same job as
// `iconv -f UTF-8 -t CPnnn` (to-bytes) or `iconv -f CPnnn -t UTF-8` (to-text), for timing
// text_vs_iconv.sh against the iconv command. The way in and out of the 16-bit text is the
// library's own UTF-8 code page, 65001. By default the file goes through in pieces, as the
// iconv command streams it; with --whole in one call each way on the whole text in memory.
// Prints to standard error the seconds that the conversions took (in pieces, with writing).
// Usage: hostseal_text_convert_driver [--whole] CODEPAGE to-bytes|to-text IN OUT
#include <fcntl.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <span>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

#include "hostseal/common/raised_error.hpp"
#include "hostseal/text/code_page.hpp"
#include "hostseal/text/code_page_table.hpp"

namespace {

using hostseal::Byte;

// The file mapped into memory, as the iconv command reads it.
class MappedFile {
 public:
  explicit MappedFile(const char* path) {
    const int fd = open(path, O_RDONLY | O_CLOEXEC);
    struct stat info {};
    if (fd < 0 || fstat(fd, &info) != 0) {
      throw std::runtime_error(std::string("cannot read ") + path);
    }
    m_Size = static_cast<std::size_t>(info.st_size);
    if (m_Size > 0) m_Data = mmap(nullptr, m_Size, PROT_READ, MAP_PRIVATE, fd, 0);
    close(fd);
    if (m_Data == MAP_FAILED) throw std::runtime_error(std::string("cannot map ") + path);
  }
  ~MappedFile() {
    if (m_Data != nullptr && m_Data != MAP_FAILED) munmap(m_Data, m_Size);
  }
  MappedFile(const MappedFile&) = delete;
  MappedFile& operator=(const MappedFile&) = delete;
  std::span<const Byte> Bytes() const { return {static_cast<const Byte*>(m_Data), m_Size}; }

 private:
  void* m_Data = nullptr;
  std::size_t m_Size = 0;
};

int Usage() {
  std::fputs("usage: hostseal_text_convert_driver [--whole] CODEPAGE to-bytes|to-text IN OUT\n",
             stderr);
  return 2;
}

}  // namespace

// Converts the whole input with one call each way, as CodePageBytesToText and
// TextToCodePageBytes are used on a text in memory; returns the output.
std::vector<Byte> ConvertWhole(std::span<const Byte> in, int from, int to) {
  const std::u16string text = hostseal::CodePageBytesToText(in, from);
  return hostseal::TextToCodePageBytes(text, to);
}

// Converts the input 64 KiB at a time through AppendCodePageText and AppendCodePageBytes, as
// a tool streams a file, writing each piece's output as it goes.
void ConvertInPieces(std::span<const Byte> in, int from, int to, std::FILE* output) {
  constexpr std::size_t kPiece = std::size_t{64} * 1024;
  std::u16string text;
  std::vector<Byte> out;
  for (std::size_t at = 0; at < in.size();) {
    const std::size_t size = std::min(kPiece, in.size() - at);
    text.clear();
    out.clear();
    at += hostseal::AppendCodePageText(in.subspan(at, size), from, at + size == in.size(), text);
    hostseal::AppendCodePageBytes(text, to, out);
    if (std::fwrite(out.data(), 1, out.size(), output) != out.size()) {
      throw std::runtime_error("cannot write the output");
    }
  }
}

int main(int argc, char** argv) {
  const bool whole = argc > 1 && std::string_view(argv[1]) == "--whole";
  if (whole) {
    --argc;
    ++argv;
  }
  if (argc != 5) return Usage();
  const int codePage = std::atoi(argv[1]);
  const std::string_view mode = argv[2];
  if (mode != "to-bytes" && mode != "to-text") return Usage();
  const int from = mode == "to-bytes" ? hostseal::kUtf8CodePage : codePage;
  const int to = mode == "to-bytes" ? codePage : hostseal::kUtf8CodePage;
  try {
    const MappedFile file(argv[3]);
    std::FILE* output = std::fopen(argv[4], "wb");
    if (output == nullptr) throw std::runtime_error(std::string("cannot write ") + argv[4]);
    const auto start = std::chrono::steady_clock::now();
    std::vector<Byte> out;
    if (whole) {
      out = ConvertWhole(file.Bytes(), from, to);
    } else {
      ConvertInPieces(file.Bytes(), from, to, output);
    }
    const std::chrono::duration<double> took = std::chrono::steady_clock::now() - start;
    if (std::fwrite(out.data(), 1, out.size(), output) != out.size() || std::fclose(output) != 0) {
      throw std::runtime_error(std::string("cannot write ") + argv[4]);
    }
    std::fprintf(stderr, "%.6f\n", took.count());
  } catch (const hostseal::RaisedError& error) {
    std::fprintf(stderr, "error %d: %s\n", error.Number(), error.Description().c_str());
    return 3;
  } catch (const std::runtime_error& error) {
    std::fprintf(stderr, "%s\n", error.what());
    return 1;
  }
  return 0;
}
