#include "hostseal/text/code_page.hpp"

#include <langinfo.h>
#include <clocale>

#include <algorithm>
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

// One converter per thread and code page, kept once made: iconv descriptors carry state and
// must not be shared between threads, and a stream that alternates between two code pages
// (UTF-8 in, the ANSI code page out) must not reopen them for every piece. There are at most
// as many as there are known code pages.
const CodePageConverter& ConverterFor(const CodePageEntry& codePage) {
  thread_local std::vector<std::unique_ptr<CodePageConverter>> t_Converters;
  for (const auto& converter : t_Converters) {
    if (converter->CodePage() == codePage.number) return *converter;
  }
  return *t_Converters.emplace_back(std::make_unique<CodePageConverter>(codePage));
}

struct LocaleDeleter {
  void operator()(locale_t locale) const { freelocale(locale); }
};
using LocaleHandle = std::unique_ptr<std::remove_pointer_t<locale_t>, LocaleDeleter>;

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
  const CodePageConverter& converter = ConverterFor(RequireCodePage(codePage));
  std::vector<Byte> out;
  // Room for the longest result, so that the bytes are never moved and no unwiped copy of a
  // pass phrase is left behind; the pages beyond what is written are never touched.
  out.reserve(text.size() <= out.max_size() / CodePageConverter::kMaxBytesPerUnit
                  ? CodePageConverter::kMaxBytesPerUnit * text.size()
                  : text.size());
  converter.AppendBytes(text, out);
  return out;
}

std::u16string CodePageBytesToText(std::span<const Byte> bytes, std::int32_t codePage) {
  const CodePageConverter& converter = ConverterFor(RequireCodePage(codePage));
  std::u16string out;
  out.reserve(bytes.size());  // no byte gives more than one unit
  converter.AppendText(bytes, out);
  return out;
}

void AppendCodePageBytes(std::u16string_view text, std::int32_t codePage, std::vector<Byte>& out) {
  const CodePageConverter& converter = ConverterFor(RequireCodePage(codePage));
  const std::size_t most = CodePageConverter::kMaxBytesPerUnit * text.size();
  if (out.capacity() - out.size() < most) {
    out.reserve(std::max(out.size() + most, 2 * out.capacity()));
  }
  converter.AppendBytes(text, out);
}

std::size_t AppendCodePageText(std::span<const Byte> bytes, std::int32_t codePage, bool last,
                               std::u16string& out) {
  const CodePageConverter& converter = ConverterFor(RequireCodePage(codePage));
  // Room for the longest result, grown geometrically so that many pieces cost linear time.
  if (out.capacity() - out.size() < bytes.size()) {
    out.reserve(std::max(out.size() + bytes.size(), 2 * out.capacity()));
  }
  return converter.AppendText(bytes, out, last);
}

}  // namespace hostseal
