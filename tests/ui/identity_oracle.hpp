// What the encrypted identity line should read: an independent cipher object's hexadecimal
// text of the identity. Should the oracle raise, the test fails: an error line is never the
// expected result.
#pragma once

#include <string>

#include "hostseal/cipher/rijndael.hpp"
#include "tests/support/recording_sink.hpp"

namespace hostseal::testing {

inline std::u16string SealWithOracle(const std::u16string& plain) {
  RecordingSink sink;
  cRijndael oracle(sink);
  return oracle.Encrypt(plain);
}

}  // namespace hostseal::testing
