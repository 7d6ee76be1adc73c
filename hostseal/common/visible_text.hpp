// VisibleText: text from a user or the environment made safe to repeat in a message.
//
// File names, code pages and other values that a message quotes may hold control characters
// (an escape sequence in a file name can rewrite the user's terminal). Every C0 control
// character, DEL and every C1 control character is written as its code, "U+001B"; bytes that
// are not UTF-8 become U+FFFD. Everything else passes unchanged.
#pragma once

#include <string>
#include <string_view>

namespace hostseal {

std::string VisibleText(std::string_view utf8);
std::string VisibleText(std::u16string_view text);

}  // namespace hostseal
