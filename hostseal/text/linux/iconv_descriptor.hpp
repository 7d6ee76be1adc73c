// IconvDescriptor: one glibc iconv conversion descriptor, closed when the object goes.
#pragma once

#include <iconv.h>

#include <cstddef>

namespace hostseal {

// What one iconv call did: how much of the input it took and of the output it filled, and
// errno when it stopped early (0 when it took all of the input).
struct IconvStep {
  std::size_t inUsed = 0;
  std::size_t outUsed = 0;
  int error = 0;
};

class IconvDescriptor {
 public:
  // Opens a conversion from the character set `from` to `to`; raises a RaisedError naming both
  // when glibc has no such conversion.
  IconvDescriptor(const char* to, const char* from);
  ~IconvDescriptor();

  IconvDescriptor(IconvDescriptor&& other) noexcept;
  IconvDescriptor& operator=(IconvDescriptor&& other) noexcept;
  IconvDescriptor(const IconvDescriptor&) = delete;
  IconvDescriptor& operator=(const IconvDescriptor&) = delete;

  iconv_t Get() const { return m_Descriptor; }

  // Returns the descriptor to its initial shift state.
  void Reset() const;

  // Resets, then converts as much of `in` as fits into `out` in one call.
  IconvStep ConvertFromStart(const void* in, std::size_t inSize, void* out,
                             std::size_t outSize) const;

 private:
  iconv_t m_Descriptor;
};

}  // namespace hostseal
