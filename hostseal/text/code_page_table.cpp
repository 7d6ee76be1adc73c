#include "hostseal/text/code_page_table.hpp"

#include <algorithm>
#include <array>
#include <cctype>

namespace hostseal {

namespace {

// These are the code pages of Linux; Windows takes every code page that the system has (its
// conversions need no table). Linux converts each through Windows' own table, built into the
// library by scripts/make_code_page_tables.py (which reads this list), except GB18030, which
// has none and goes through the glibc iconv converter named here; UTF-8 has its own codec.
// Every one keeps the bytes 0x00 to 0x7F as ASCII in both directions and is stateless, which
// the ASCII fast path of the Linux conversions relies on.
constexpr std::array kCodePages{
    CodePageEntry{437, "CP437", '?', "CP437 IBM437"},
    CodePageEntry{850, "CP850", '?', "CP850 IBM850"},
    CodePageEntry{866, "CP866", '?', "CP866 IBM866"},
    CodePageEntry{874, "CP874", '?', "CP874 TIS620"},
    CodePageEntry{932, "CP932", '?', "CP932 SHIFTJIS SJIS WINDOWS31J"},
    CodePageEntry{936, "CP936", '?', "CP936 GB2312 GBK"},
    CodePageEntry{949, "CP949", '?', "CP949 EUCKR UHC"},
    CodePageEntry{950, "CP950", '?', "CP950 BIG5 BIG5HKSCS"},
    CodePageEntry{1250, "CP1250", '?', "CP1250"},
    CodePageEntry{1251, "CP1251", '?', "CP1251"},
    CodePageEntry{1252, "CP1252", '?', "CP1252"},
    CodePageEntry{1253, "CP1253", '?', "CP1253"},
    CodePageEntry{1254, "CP1254", '?', "CP1254"},
    CodePageEntry{1255, "CP1255", '?', "CP1255"},
    CodePageEntry{1256, "CP1256", '?', "CP1256"},
    CodePageEntry{1257, "CP1257", '?', "CP1257"},
    CodePageEntry{1258, "CP1258", '?', "CP1258"},
    CodePageEntry{20127, "ASCII", '?', ""},
    CodePageEntry{20866, "KOI8-R", '?', "KOI8R"},
    CodePageEntry{20932, "EUC-JP", '?', "EUCJP"},
    CodePageEntry{21866, "KOI8-U", '?', "KOI8U"},
    CodePageEntry{28591, "ISO-8859-1", '?', "ISO88591"},
    CodePageEntry{28592, "ISO-8859-2", '?', "ISO88592"},
    CodePageEntry{28593, "ISO-8859-3", '?', "ISO88593"},
    CodePageEntry{28594, "ISO-8859-4", '?', "ISO88594"},
    CodePageEntry{28595, "ISO-8859-5", '?', "ISO88595"},
    CodePageEntry{28596, "ISO-8859-6", '?', "ISO88596"},
    CodePageEntry{28597, "ISO-8859-7", '?', "ISO88597"},
    CodePageEntry{28599, "ISO-8859-9", '?', "ISO88599"},
    CodePageEntry{28603, "ISO-8859-13", '?', "ISO885913"},
    CodePageEntry{28605, "ISO-8859-15", '?', "ISO885915"},
    CodePageEntry{54936, "GB18030", '?', "GB18030"},
    // The C and POSIX locales report plain ASCII; current runtimes read it as UTF-8.
    CodePageEntry{kUtf8CodePage, "UTF-8", '?', "UTF8 ANSIX341968 ASCII USASCII"},
};

// Upper case without the punctuation that spellings of one character set differ by.
std::string Normalise(std::string_view name) {
  std::string out;
  for (const char c : name) {
    const auto u = static_cast<unsigned char>(c);
    if (std::isalnum(u) != 0) out.push_back(static_cast<char>(std::toupper(u)));
  }
  return out;
}

}  // namespace

const CodePageEntry* FindCodePage(std::int32_t number) {
  const auto* it = std::find_if(kCodePages.begin(), kCodePages.end(),
                                [number](const CodePageEntry& e) { return e.number == number; });
  return it == kCodePages.end() ? nullptr : &*it;
}

std::int32_t CodePageOfCharset(std::string_view charset) {
  const std::string wanted = Normalise(charset);
  if (wanted.empty()) return 0;
  for (const CodePageEntry& e : kCodePages) {
    std::string_view names = e.charsets;
    while (!names.empty()) {
      const std::size_t space = names.find(' ');
      if (names.substr(0, space) == wanted) return e.number;
      names = space == std::string_view::npos ? std::string_view{} : names.substr(space + 1);
    }
  }
  return 0;
}

std::string KnownCodePages() {
  std::string out;
  for (const CodePageEntry& e : kCodePages) {
    if (!out.empty()) out += ", ";
    out += std::to_string(e.number);
  }
  return out;
}

}  // namespace hostseal
