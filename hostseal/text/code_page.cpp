#include "hostseal/text/code_page.hpp"

#include <langinfo.h>
#include <clocale>

#include <atomic>
#include <charconv>
#include <cstdlib>
#include <memory>
#include <string>

#include "hostseal/common/raised_error.hpp"
#include "hostseal/common/visible_text.hpp"
#include "hostseal/text/code_page_converter.hpp"
#include "hostseal/text/code_page_table.hpp"

namespace hostseal {

namespace {

// 0 until SetAnsiCodePage is called: until then the environment's choice holds.
std::atomic<std::int32_t> g_CodePage{0};

// The environment's choice, read once, or why it could not be used.
struct InitialChoice {
  std::int32_t codePage = 0;
  std::string error;
};

const InitialChoice& InitialCodePage() {
  static const InitialChoice choice = [] {
    try {
      return InitialChoice{DetectAnsiCodePage(), {}};
    } catch (const RaisedError& e) {
      return InitialChoice{0, e.Description()};
    }
  }();
  return choice;
}

[[noreturn]] void RaiseUnknown(const std::string& what) {
  throw RaisedError(kInvalidCallOrArgument, "Invalid procedure call or argument: " + what +
                                                "; known code pages: " + KnownCodePages());
}

const CodePageEntry& RequireCodePage(std::int32_t codePage) {
  const CodePageEntry* entry = FindCodePage(codePage);
  if (entry == nullptr) RaiseUnknown("unknown code page " + std::to_string(codePage));
  return *entry;
}

// One converter per thread, kept for the code page used last: iconv descriptors carry state
// and must not be shared between threads.
const CodePageConverter& ConverterFor(const CodePageEntry& codePage) {
  thread_local std::unique_ptr<CodePageConverter> t_Converter;
  if (!t_Converter || t_Converter->CodePage() != codePage.number) {
    t_Converter.reset();
    t_Converter = std::make_unique<CodePageConverter>(codePage);
  }
  return *t_Converter;
}

struct LocaleDeleter {
  void operator()(locale_t locale) const { freelocale(locale); }
};
using LocaleHandle = std::unique_ptr<std::remove_pointer_t<locale_t>, LocaleDeleter>;

constexpr std::size_t kAsciiBlock = 16;

}  // namespace

std::int32_t DetectAnsiCodePage() {
  const char* variable = std::getenv("HOSTSEAL_CODEPAGE");
  if (variable != nullptr && *variable != '\0') {
    const std::string_view value(variable);
    std::int32_t number = 0;
    // Decimal digits only: no sign, space or "0x", as the number is written everywhere else.
    const bool digits = value.find_first_not_of("0123456789") == std::string_view::npos;
    const auto [end, error] = std::from_chars(value.data(), value.data() + value.size(), number);
    if (!digits || error != std::errc{} || end != value.data() + value.size()) {
      RaiseUnknown("HOSTSEAL_CODEPAGE \"" + VisibleText(value) + "\" is not a code-page number");
    }
    if (FindCodePage(number) == nullptr) {
      RaiseUnknown("unknown code page " + std::to_string(number) + " in HOSTSEAL_CODEPAGE");
    }
    return number;
  }
  // The locale that setlocale(LC_CTYPE, "") would choose, without changing the process's own.
  const LocaleHandle locale(newlocale(LC_CTYPE_MASK, "", nullptr));
  // A locale that is not installed leaves programs in the C locale, which counts as UTF-8.
  if (!locale) return kUtf8CodePage;
  const char* charset = nl_langinfo_l(CODESET, locale.get());
  const std::int32_t number = CodePageOfCharset(charset != nullptr ? charset : "");
  if (number == 0) {
    RaiseUnknown("the locale's character set \"" + VisibleText(charset != nullptr ? charset : "") +
                 "\" has no known code page; set HOSTSEAL_CODEPAGE");
  }
  return number;
}

std::int32_t AnsiCodePage() {
  const std::int32_t set = g_CodePage.load(std::memory_order_acquire);
  if (set != 0) return set;
  const InitialChoice& initial = InitialCodePage();
  if (initial.codePage == 0) throw RaisedError(kInvalidCallOrArgument, initial.error);
  return initial.codePage;
}

void SetAnsiCodePage(std::int32_t codePage) {
  // Opening the converters here reports a code page that glibc cannot convert at once.
  ConverterFor(RequireCodePage(codePage));
  g_CodePage.store(codePage, std::memory_order_release);
}

bool IsKnownCodePage(std::int32_t codePage) {
  return FindCodePage(codePage) != nullptr;
}

std::vector<Byte> TextToAnsiBytes(std::u16string_view text) {
  return TextToCodePageBytes(text, AnsiCodePage());
}

std::u16string AnsiBytesToText(std::span<const Byte> bytes) {
  return CodePageBytesToText(bytes, AnsiCodePage());
}

std::vector<Byte> TextToCodePageBytes(std::u16string_view text, std::int32_t codePage) {
  const CodePageEntry& entry = RequireCodePage(codePage);
  const std::size_t n = text.size();
  // Invariant of the loop: out holds the bytes of text[0, i) in out[0, w) and one byte of room
  // for each unit still to come, as if the rest were ASCII.
  std::vector<Byte> out(n);
  std::size_t w = 0;
  std::size_t i = 0;
  while (i < n) {
    // ASCII: whole blocks first, so that the copy needs no test per unit.
    while (i + kAsciiBlock <= n) {
      char16_t any = 0;
      for (std::size_t k = 0; k < kAsciiBlock; ++k) any |= text[i + k];
      if (any >= 0x80) break;
      for (std::size_t k = 0; k < kAsciiBlock; ++k) out[w + k] = static_cast<Byte>(text[i + k]);
      i += kAsciiBlock;
      w += kAsciiBlock;
    }
    while (i < n && text[i] < 0x80) out[w++] = static_cast<Byte>(text[i++]);
    if (i == n) break;
    // A run without ASCII goes through the code page's converter. Surrogate pairs never hold
    // ASCII, so a run never splits one.
    std::size_t j = i;
    while (j < n && text[j] >= 0x80) ++j;
    out.resize(w);
    ConverterFor(entry).AppendBytes(text.substr(i, j - i), out);
    w = out.size();
    out.resize(w + (n - j));
    i = j;
  }
  out.resize(w);
  return out;
}

std::u16string CodePageBytesToText(std::span<const Byte> bytes, std::int32_t codePage) {
  const CodePageEntry& entry = RequireCodePage(codePage);
  const std::size_t n = bytes.size();
  std::u16string out(n, u'\0');
  std::size_t w = 0;
  std::size_t i = 0;
  while (i < n) {
    while (i + kAsciiBlock <= n) {
      Byte any = 0;
      for (std::size_t k = 0; k < kAsciiBlock; ++k) any |= bytes[i + k];
      if (any >= 0x80) break;
      for (std::size_t k = 0; k < kAsciiBlock; ++k) out[w + k] = bytes[i + k];
      i += kAsciiBlock;
      w += kAsciiBlock;
    }
    while (i < n && bytes[i] < 0x80) out[w++] = bytes[i++];
    if (i == n) break;
    // A byte below 0x80 may still be the second byte of a double-byte character (or the second
    // or fourth of a GB18030 one), but one that follows another byte below 0x80 always starts
    // an ASCII character, since no code page here has a lead byte below 0x80. The run for the
    // converter ends there, so it never cuts a character.
    std::size_t j = i + 1;
    while (j < n && !(bytes[j] < 0x80 && bytes[j - 1] < 0x80)) ++j;
    out.resize(w);
    ConverterFor(entry).AppendText(bytes.subspan(i, j - i), out);
    w = out.size();
    out.resize(w + (n - j));
    i = j;
  }
  out.resize(w);
  return out;
}

}  // namespace hostseal
