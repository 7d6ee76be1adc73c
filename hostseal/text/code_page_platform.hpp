// The platform's part of the code-page layer, in linux/ and windows/: the system's own ANSI code
// page, getting a code page's conversions ready, and the conversions of code_page.hpp
// themselves (TextToCodePageBytes, CodePageBytesToText, AppendCodePageBytes,
// AppendCodePageText). code_page.cpp holds which code page is in force.
#pragma once

#include <cstdint>
#include <string>

#include "hostseal/text/code_page_table.hpp"

namespace hostseal {

// True when the conversions here take the code page: those of code_page_table.hpp on Linux,
// every code page that the system has installed (IsValidCodePage) on Windows.
bool ConvertsCodePage(std::int32_t codePage);

// The code pages the conversions take, as error descriptions name them.
std::string ConvertibleCodePages();

// Raises 5 "Invalid procedure call or argument" naming the code page unless ConvertsCodePage.
void RequireCodePage(std::int32_t codePage);

// Raises 5 "Invalid procedure call or argument: WHAT; known code pages: ...".
[[noreturn]] void RaiseUnknownCodePage(const std::string& what);

// The system's ANSI code page when HOSTSEAL_CODEPAGE does not name one: the locale's
// character set on Linux, GetACP() on Windows. May raise for a system setting without a
// known code page.
std::int32_t SystemAnsiCodePage();

// Makes the conversions of a code page that ConvertsCodePage ready; raises when the system
// cannot convert it.
void PrepareCodePage(std::int32_t codePage);

}  // namespace hostseal
