// IconvDescriptor: one glibc iconv conversion descriptor, closed when the object goes.
#pragma once

#include <iconv.h>

namespace hostseal {

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

 private:
  iconv_t m_Descriptor;
};

}  // namespace hostseal
