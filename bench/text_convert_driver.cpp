// Converts one file between UTF-8 and a code page through the library, the same job as
// `iconv -f UTF-8 -t CPnnn` (to-bytes) or `iconv -f CPnnn -t UTF-8` (to-text), for timing
// text_vs_iconv.sh against the iconv command. The way in and out of the 16-bit text is the
// library's own UTF-8 code page, 65001. Prints to standard error the seconds that the two
// conversions took, without reading and writing the files.
// Usage: hostseal_text_convert_driver CODEPAGE to-bytes|to-text IN OUT
#include <fcntl.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

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
    const MappedFile file(argv[3]);
    const std::span<const Byte> in = file.Bytes();
    const auto start = std::chrono::steady_clock::now();
    const std::u16string text = hostseal::CodePageBytesToText(in, toBytes ? 65001 : codePage);
    const std::vector<Byte> out = hostseal::TextToCodePageBytes(text, toBytes ? codePage : 65001);
    const std::chrono::duration<double> took = std::chrono::steady_clock::now() - start;
    std::FILE* output = std::fopen(argv[4], "wb");
    if (output == nullptr || std::fwrite(out.data(), 1, out.size(), output) != out.size() ||
        std::fclose(output) != 0) {
      std::perror(argv[4]);
      return 1;
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
