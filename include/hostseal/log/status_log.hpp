// AddStatusLine: appends one line to the status log, green for success (kind 0), red for
// failure (kinds 1 and 2), in the colour at the end of the box for any other kind.
#pragma once

#include <cstdint>
#include <string>

#include "hostseal/log/rich_text_box.hpp"

namespace hostseal {

void AddStatusLine(RichTextBox& StatusTxt, const std::u16string& sHead, const std::u16string& sMsg,
                   std::int32_t nKind);

}  // namespace hostseal
