#include "hostseal/text/code_page.hpp"

#include <algorithm>
#include <atomic>
#include <charconv>
#include <cstdlib>
#include <string>

#include "hostseal/common/raised_error.hpp"
#include "hostseal/common/secure_wipe.hpp"
#include "hostseal/common/visible_text.hpp"
#include "hostseal/text/code_page_platform.hpp"
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

}  // namespace

void RaiseUnknownCodePage(const std::string& what) {
  throw RaisedError(kInvalidCallOrArgument, "Invalid procedure call or argument: " + what +
                                                "; known code pages: " + ConvertibleCodePages());
}

void RequireCodePage(std::int32_t codePage) {
  if (!ConvertsCodePage(codePage)) {
    RaiseUnknownCodePage("unknown code page " + std::to_string(codePage));
  }
}

std::int32_t DetectAnsiCodePage() {
  const char* variable = std::getenv("HOSTSEAL_CODEPAGE");
  if (variable != nullptr && *variable != '\0') {
    const std::string_view value(variable);
    std::int32_t number = 0;
    // Decimal digits only: no sign, space or "0x", as the number is written everywhere else.
    const bool digits = value.find_first_not_of("0123456789") == std::string_view::npos;
    const auto [end, error] = std::from_chars(value.data(), value.data() + value.size(), number);
    if (!digits || error != std::errc{} || end != value.data() + value.size()) {
      RaiseUnknownCodePage("HOSTSEAL_CODEPAGE \"" + VisibleText(value) +
                           "\" is not a code-page number");
    }
    if (!ConvertsCodePage(number)) {
      RaiseUnknownCodePage("unknown code page " + std::to_string(number) + " in HOSTSEAL_CODEPAGE");
    }
    return number;
  }
  const std::int32_t system = SystemAnsiCodePage();
  if (!ConvertsCodePage(system)) {
    RaiseUnknownCodePage("the system's code page " + std::to_string(system) +
                         " is not one hostseal knows; set HOSTSEAL_CODEPAGE");
  }
  return system;
}

std::int32_t AnsiCodePage() {
  const std::int32_t set = g_CodePage.load(std::memory_order_acquire);
  if (set != 0) return set;
  const InitialChoice& initial = InitialCodePage();
  if (initial.codePage == 0) throw RaisedError(kInvalidCallOrArgument, initial.error);
  return initial.codePage;
}

void SetAnsiCodePage(std::int32_t codePage) {
  // Preparing the conversions here reports a code page that the system cannot convert at once.
  RequireCodePage(codePage);
  PrepareCodePage(codePage);
  g_CodePage.store(codePage, std::memory_order_release);
}

bool IsKnownCodePage(std::int32_t codePage) {
  return ConvertsCodePage(codePage);
}

bool CodePageHoldsText(std::u16string_view text, std::int32_t codePage) {
  std::vector<Byte> bytes = TextToCodePageBytes(text, codePage);
  const SecretBytesGuard bytesGuard(bytes);
  std::u16string back = CodePageBytesToText(bytes, codePage);
  const bool same = back == text;
  SecureWipe(back.data(), back.size() * sizeof(char16_t));
  return same;
}

std::vector<Byte> TextToAnsiBytes(std::u16string_view text) {
  return TextToCodePageBytes(text, AnsiCodePage());
}

std::u16string AnsiBytesToText(std::span<const Byte> bytes) {
  return CodePageBytesToText(bytes, AnsiCodePage());
}

}  // namespace hostseal
