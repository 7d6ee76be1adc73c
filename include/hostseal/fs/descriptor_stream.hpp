// DescriptorSource and DescriptorSink: a ByteSource and a ByteSink on an open file descriptor
// that the caller owns (standard input and output, a pipe), named in error descriptions by the
// name given, such as "standard input".
#pragma once

#include <string>

#include "hostseal/fs/byte_stream.hpp"

namespace hostseal {

class DescriptorSource final : public ByteSource {
 public:
  DescriptorSource(int fd, std::string name) : m_Fd(fd), m_Name(std::move(name)) {}
  std::size_t ReadSome(Byte* buffer, std::size_t n) override;

 private:
  int m_Fd;
  std::string m_Name;
};

class DescriptorSink final : public ByteSink {
 public:
  DescriptorSink(int fd, std::string name) : m_Fd(fd), m_Name(std::move(name)) {}
  void Write(const Byte* data, std::size_t n) override;

 private:
  int m_Fd;
  std::string m_Name;
};

}  // namespace hostseal
