#include "hostseal/text/linux/iconv_descriptor.hpp"

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

IconvStep IconvDescriptor::ConvertFromStart(const void* in, std::size_t inSize, void* out,
                                            std::size_t outSize) const {
  Reset();
  // iconv never writes through its input pointer; the cast only meets its signature.
  char* inPtr = const_cast<char*>(static_cast<const char*>(in));
  char* outPtr = static_cast<char*>(out);
  std::size_t inLeft = inSize;
  std::size_t outLeft = outSize;
  const std::size_t result = iconv(m_Descriptor, &inPtr, &inLeft, &outPtr, &outLeft);
  const int error = errno;
  IconvStep step{inSize - inLeft, outSize - outLeft, 0};
  if (result == static_cast<std::size_t>(-1)) step.error = error;
  return step;
}

}  // namespace hostseal
