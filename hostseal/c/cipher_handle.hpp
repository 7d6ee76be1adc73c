// hostseal_cipher: the handle behind the C interface's opaque cipher, and the keys that the
// handle and the text functions share.
//
// The handle's cipher shows its messages through the recording sink, so that they become the
// calling thread's last-error description and nothing is printed by the library. Freeing the
// handle runs cRijndael's destructor, which wipes the key schedule.
#pragma once

#include <cstdint>

#include "hostseal/c/status.hpp"
#include "hostseal/cipher/rijndael.hpp"

struct hostseal_cipher {
  hostseal::cRijndael cipher{hostseal::c_interface::TheRecordingSink()};
};

namespace hostseal::c_interface {

// The 128-bit key of the built-in pass phrase, the key of the hexadecimal text format. The
// phrase is printable ASCII, the same bytes in every code page the library knows.
void SetBuiltInKey(cRijndael& cipher);

// 0 stands for the process's code page; any other number must be known (RaisedError 5).
std::int32_t ResolveCodePage(std::int32_t codePage);

}  // namespace hostseal::c_interface
