// Windows' own conversion tables of the code pages that have one, as Microsoft publishes them
// (best fit included), packed into the library by scripts/make_code_page_tables.py from the
// NLS files that Wine ships; windows_code_page_table.hpp unpacks them.
#pragma once

#include <cstdint>
#include <span>

namespace hostseal {

struct WindowsCodePageData {
  std::int32_t number;
  std::uint16_t leadBytes;       // how many bytes start a two-byte character; 0 single-byte
  std::uint16_t defaultBytes;    // what a character without a mapping becomes ('?')
  std::uint16_t unicodeDefault;  // what a lead byte without its trail byte reads as
  std::span<const std::uint16_t> packed;  // the packing that the script describes
};

// Every code page of code_page_table.cpp that Windows has a table for.
std::span<const WindowsCodePageData> WindowsCodePageTables();

}  // namespace hostseal
