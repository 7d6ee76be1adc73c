// The Linux conversions of the code-page layer: glibc's iconv behind a CodePageConverter per
// thread and code page, and the code page of the locale's character set.
#include <langinfo.h>

#include <algorithm>
#include <clocale>
#include <memory>
#include <vector>

#include "hostseal/common/visible_text.hpp"
#include "hostseal/text/code_page.hpp"
#include "hostseal/text/code_page_platform.hpp"
#include "hostseal/text/linux/code_page_converter.hpp"

namespace hostseal {

namespace {

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

// The converter of a code page, which must be one of the table's.
const CodePageConverter& ConverterFor(std::int32_t codePage) {
  RequireCodePage(codePage);
  return ConverterFor(*FindCodePage(codePage));
}

struct LocaleDeleter {
  void operator()(locale_t locale) const { freelocale(locale); }
};
using LocaleHandle = std::unique_ptr<std::remove_pointer_t<locale_t>, LocaleDeleter>;

}  // namespace

std::int32_t SystemAnsiCodePage() {
  // The locale that setlocale(LC_CTYPE, "") would choose, without changing the process's own.
  const LocaleHandle locale(newlocale(LC_CTYPE_MASK, "", nullptr));
  // A locale that is not installed leaves programs in the C locale, which counts as UTF-8.
  if (!locale) return kUtf8CodePage;
  const char* charset = nl_langinfo_l(CODESET, locale.get());
  const std::int32_t number = CodePageOfCharset(charset != nullptr ? charset : "");
  if (number == 0) {
    RaiseUnknownCodePage("the locale's character set \"" +
                         VisibleText(charset != nullptr ? charset : "") +
                         "\" has no known code page; set HOSTSEAL_CODEPAGE");
  }
  return number;
}

bool ConvertsCodePage(std::int32_t codePage) {
  return FindCodePage(codePage) != nullptr;
}

std::string ConvertibleCodePages() {
  return KnownCodePages();
}

void PrepareCodePage(std::int32_t codePage) {
  ConverterFor(codePage);  // opens glibc's converters, which raises when it lacks them
}

std::vector<Byte> TextToCodePageBytes(std::u16string_view text, std::int32_t codePage) {
  const CodePageConverter& converter = ConverterFor(codePage);
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
  const CodePageConverter& converter = ConverterFor(codePage);
  std::u16string out;
  out.reserve(bytes.size());  // no byte gives more than one unit
  converter.AppendText(bytes, out);
  return out;
}

void AppendCodePageBytes(std::u16string_view text, std::int32_t codePage, std::vector<Byte>& out) {
  const CodePageConverter& converter = ConverterFor(codePage);
  const std::size_t most = CodePageConverter::kMaxBytesPerUnit * text.size();
  if (out.capacity() - out.size() < most) {
    out.reserve(std::max(out.size() + most, 2 * out.capacity()));
  }
  converter.AppendBytes(text, out);
}

std::size_t AppendCodePageText(std::span<const Byte> bytes, std::int32_t codePage, bool last,
                               std::u16string& out) {
  const CodePageConverter& converter = ConverterFor(codePage);
  // Room for the longest result, grown geometrically so that many pieces cost linear time.
  if (out.capacity() - out.size() < bytes.size()) {
    out.reserve(std::max(out.size() + bytes.size(), 2 * out.capacity()));
  }
  return converter.AppendText(bytes, out, last);
}

}  // namespace hostseal
