// The host-identity operation shared by `hostseal identity` and the window: this host's name,
// the first IPv4 address of that name, the MAC behind it, the processor identifiers and the
// identity encrypted as hexadecimal text, each reported as a status line.
#pragma once

#include "hostseal/cipher/rijndael.hpp"
#include "hostseal/ui/rich_text_box.hpp"

namespace hostseal {

// Reports through AddStatusLine on the box; true when every query succeeded.
bool ReportHostIdentity(RichTextBox& StatusTxt, cRijndael& cipher);

}  // namespace hostseal
