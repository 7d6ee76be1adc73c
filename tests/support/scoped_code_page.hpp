// Sets the process's ANSI code page for one test and restores the previous one afterwards.
#pragma once

#include <cstdint>

#include "hostseal/text/code_page.hpp"

namespace hostseal::testing {

class ScopedCodePage {
 public:
  explicit ScopedCodePage(std::int32_t codePage) : m_Previous(AnsiCodePage()) {
    SetAnsiCodePage(codePage);
  }
  ~ScopedCodePage() { SetAnsiCodePage(m_Previous); }
  ScopedCodePage(const ScopedCodePage&) = delete;
  ScopedCodePage& operator=(const ScopedCodePage&) = delete;

 private:
  std::int32_t m_Previous;
};

}  // namespace hostseal::testing
