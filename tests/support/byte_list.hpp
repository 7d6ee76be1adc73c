// Bytes({0xEF, 0xBB, 0xBF}): a byte vector written as a list of numbers, for expectations.
#pragma once

#include <initializer_list>
#include <vector>

#include "hostseal/common/byte_array.hpp"

namespace hostseal::testing {

inline std::vector<Byte> Bytes(std::initializer_list<int> values) {
  std::vector<Byte> bytes;
  for (int v : values) bytes.push_back(static_cast<Byte>(v));
  return bytes;
}

}  // namespace hostseal::testing
