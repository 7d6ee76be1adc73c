// JsonString: UTF-8 text as a JSON string literal, quotes included: quotation marks and
// backslashes escaped, control characters as \u00XX, everything else (non-ASCII included) as
// it stands, so that any JSON parser reads back the same text.
#pragma once

#include <string>
#include <string_view>

namespace hostseal::cli {

std::string JsonString(std::string_view utf8);

}  // namespace hostseal::cli
