#include "tools/hostseal/process/environment_settings.hpp"

#include <cstdlib>
#include <string>
#include <string_view>

#include "hostseal/cipher/block_backend.hpp"
#include "hostseal/common/visible_text.hpp"
#include "hostseal/text/code_page.hpp"
#include "hostseal/text/code_page_platform.hpp"
#include "tools/hostseal/exit_status.hpp"
#include "tools/hostseal/streams/standard_streams.hpp"

namespace hostseal::cli {

namespace {

// A code page that the option or the variable names is a usage error when the conversions do
// not take it, as any other value of an option that cannot be used.
void ApplyCodePage(int codePage, const std::string& source) {
  if (!ConvertsCodePage(codePage)) {
    throw UsageError(source + ": unknown code page " + std::to_string(codePage) +
                     "; known code pages: " + ConvertibleCodePages());
  }
  SetAnsiCodePage(codePage);
}

}  // namespace

void ApplyCodePageSetting(const std::optional<int>& option) {
  if (option) {
    ApplyCodePage(*option, "--codepage");
    return;
  }
  const char* variable = std::getenv("HOSTSEAL_CODEPAGE");
  if (variable == nullptr || *variable == '\0') return;  // the library follows the locale
  const std::string_view value(variable);
  if (value.size() > 9 || value.find_first_not_of("0123456789") != std::string_view::npos) {
    throw UsageError("HOSTSEAL_CODEPAGE: \"" + VisibleText(value) +
                     "\" is not a code-page number; give decimal digits such as 936, 1252 or "
                     "65001");
  }
  ApplyCodePage(std::stoi(std::string(value)), "HOSTSEAL_CODEPAGE");
}

void CheckCpuSetting(bool refuseUnavailable) {
  using cipher_backend::PathRequest;
  const PathRequest request = cipher_backend::RequestedPath();
  if (request.kind == PathRequest::Kind::kUnavailable && !refuseUnavailable) {
    WriteDiagnostic("warning: HOSTSEAL_CPU: this processor lacks the instructions of the \"" +
                    request.value + "\" path; the best path of this processor runs");
  } else if (request.kind == PathRequest::Kind::kUnavailable) {
    throw UsageError("HOSTSEAL_CPU: this processor lacks the instructions of the \"" +
                         request.value + "\" path; unset it, or choose portable",
                     false);
  }
  if (request.kind == PathRequest::Kind::kUnknown) {
    WriteDiagnostic("warning: HOSTSEAL_CPU \"" + VisibleText(request.value) +
                    "\" names no AES path (" + std::string(cipher_backend::PathNames()) +
                    "); the best path of this processor runs");
  }
}

}  // namespace hostseal::cli
