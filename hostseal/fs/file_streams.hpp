// FileSource and FileSink: an input file read from its start, and a replacing output file
// written from its start, as byte streams, for the stream framing between a file and a pipe.
// The sink writes into the output's temporary file; the caller still commits it.
#pragma once

#include <cstdint>

#include "hostseal/fs/byte_stream.hpp"
#include "hostseal/fs/input_file.hpp"
#include "hostseal/fs/replacing_file.hpp"

namespace hostseal {

class FileSource final : public ByteSource {
 public:
  explicit FileSource(const InputFile& file) : m_File(file) {}
  std::size_t ReadSome(Byte* buffer, std::size_t n) override {
    const std::size_t got = m_File.ReadUpTo(buffer, n, m_Offset);
    m_Offset += got;
    return got;
  }
  std::uint64_t Offset() const noexcept { return m_Offset; }

 private:
  const InputFile& m_File;
  std::uint64_t m_Offset = 0;
};

class FileSink final : public ByteSink {
 public:
  explicit FileSink(const ReplacingFile& file) : m_File(file) {}
  void Write(const Byte* data, std::size_t n) override {
    m_File.WriteAt(data, n, m_Offset);
    m_Offset += n;
  }

 private:
  const ReplacingFile& m_File;
  std::uint64_t m_Offset = 0;
};

}  // namespace hostseal
