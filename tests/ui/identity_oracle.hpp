// What the encrypted identity line should read: an independent cipher object's hexadecimal
// text of the identity, or, while the text layer still raises, that error's description.
#pragma once

#include <string>

#include "hostseal/cipher/rijndael.hpp"
#include "hostseal/common/raised_error.hpp"
#include "hostseal/common/utf8.hpp"
#include "hostseal/ui/rich_text_box.hpp"
#include "tests/support/recording_sink.hpp"

namespace hostseal::testing {

struct SealedText {
  std::u16string text;  // the hex text, or the description of the error
  OleColor color;       // green when it is the hex text
};

inline SealedText SealWithOracle(const std::u16string& plain) {
  RecordingSink sink;
  cRijndael oracle(sink);
  try {
    return {oracle.Encrypt(plain), kGreen};
  } catch (const RaisedError& error) {
    return {FromUtf8(error.Description()), kRed};
  }
}

// True when the text layer works: the cipher gives hex text for a line and takes it back.
inline bool TextLayerWorks() {
  return SealWithOracle(u"probe").color == kGreen;
}

}  // namespace hostseal::testing
