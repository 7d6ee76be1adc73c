#include "hostseal/text/iconv_descriptor.hpp"

#include <cerrno>
#include <cstdint>
#include <cstring>
#include <string>
#include <utility>

#include "hostseal/common/raised_error.hpp"
#include "hostseal/text/code_page_table.hpp"

namespace hostseal {

namespace {

// glibc reports a failed iconv_open as the descriptor (iconv_t)-1.
iconv_t Invalid() {
  // NOLINTNEXTLINE(performance-no-int-to-ptr): the failure value is defined that way
  return reinterpret_cast<iconv_t>(static_cast<std::intptr_t>(-1));
}

}  // namespace

IconvDescriptor::IconvDescriptor(const char* to, const char* from)
    : m_Descriptor(iconv_open(to, from)) {
  if (m_Descriptor == Invalid()) {
    const int error = errno;
    throw RaisedError(kInvalidCallOrArgument,
                      std::string("Invalid procedure call or argument: no conversion from ") +
                          from + " to " + to + " (" + std::strerror(error) + ")");
  }
}

IconvDescriptor::~IconvDescriptor() {
  if (m_Descriptor != Invalid()) iconv_close(m_Descriptor);
}

IconvDescriptor::IconvDescriptor(IconvDescriptor&& other) noexcept
    : m_Descriptor(std::exchange(other.m_Descriptor, Invalid())) {}

IconvDescriptor& IconvDescriptor::operator=(IconvDescriptor&& other) noexcept {
  if (this != &other) {
    if (m_Descriptor != Invalid()) iconv_close(m_Descriptor);
    m_Descriptor = std::exchange(other.m_Descriptor, Invalid());
  }
  return *this;
}

void IconvDescriptor::Reset() const {
  iconv(m_Descriptor, nullptr, nullptr, nullptr, nullptr);
}

}  // namespace hostseal
