// ByteSource and ByteSink: bytes that come and go as a stream, with no length known up front
// and no going back: pipes, standard input and output, sockets.
//
// The cipher's stream framing reads and writes through these, so that the command line, the
// window and the tests can each supply their own ends.
#pragma once

#include <cstddef>

#include "hostseal/common/byte_array.hpp"

namespace hostseal {

class ByteSource {
 public:
  virtual ~ByteSource() = default;
  // Reads at most n bytes into buffer; returns how many, 0 only at the end of the stream.
  // Failures raise RaisedError.
  virtual std::size_t ReadSome(Byte* buffer, std::size_t n) = 0;
};

class ByteSink {
 public:
  virtual ~ByteSink() = default;
  // Writes all n bytes or raises RaisedError.
  virtual void Write(const Byte* data, std::size_t n) = 0;
};

}  // namespace hostseal
