#include "hostseal/c/output_buffer.hpp"

#include <cstring>
#include <string>

#include "hostseal/c/status.hpp"

namespace hostseal::c_interface {

hostseal_status CopyText(std::string_view text, char* out, std::size_t& out_len) noexcept {
  const std::size_t needed = text.size() + 1;
  if (out == nullptr || out_len < needed) {
    out_len = needed;
    return HOSTSEAL_SHORT_BUFFER;
  }
  if (!text.empty()) std::memcpy(out, text.data(), text.size());
  out[text.size()] = '\0';
  out_len = text.size();
  return HOSTSEAL_OK;
}

hostseal_status RequireRoom(std::size_t needed, const void* out, std::size_t* out_len) noexcept {
  // No bytes need no buffer: a caller that allocates what a query said may hold NULL for 0.
  if ((out != nullptr || needed == 0) && *out_len >= needed) return HOSTSEAL_OK;
  *out_len = needed;
  try {
    return Fail(HOSTSEAL_SHORT_BUFFER,
                "The output buffer is too small: " + std::to_string(needed) + " bytes needed");
  } catch (...) {
    return Fail(HOSTSEAL_SHORT_BUFFER, "The output buffer is too small");
  }
}

hostseal_status PutText(std::string_view text, char* out, std::size_t* out_len) noexcept {
  if (const hostseal_status room = RequireRoom(text.size() + 1, out, out_len);
      room != HOSTSEAL_OK) {
    return room;
  }
  return CopyText(text, out, *out_len);
}

hostseal_status PutBytes(std::span<const Byte> bytes, std::uint8_t* out,
                         std::size_t* out_len) noexcept {
  if (const hostseal_status room = RequireRoom(bytes.size(), out, out_len); room != HOSTSEAL_OK) {
    return room;
  }
  if (!bytes.empty()) std::memcpy(out, bytes.data(), bytes.size());
  *out_len = bytes.size();
  return HOSTSEAL_OK;
}

}  // namespace hostseal::c_interface
