// UniqueHandle: sole owner of one system handle, closed when the owner goes away.
//
// Every descriptor and handle the library opens is kept in one of these, so that no path,
// failing or not, can leak one. Traits says what the handle is:
//
//   using Native = ...;                         // int, HANDLE
//   using Error = ...;                          // the system's error code; Error{} is success
//   static Native Invalid() noexcept;           // the value that holds nothing
//   static bool IsOpen(Native) noexcept;
//   static Error Close(Native) noexcept;        // Error{} or the failure; the handle is gone
//
// Close() is there for the few places where the result of closing matters (a file about to be
// renamed into place); the destructor lets that result go.
#pragma once

#include <utility>

namespace hostseal {

template <typename Traits>
class UniqueHandle {
 public:
  using Native = typename Traits::Native;
  using Error = typename Traits::Error;

  UniqueHandle() = default;
  explicit UniqueHandle(Native handle) noexcept : m_Handle(handle) {}
  UniqueHandle(UniqueHandle&& other) noexcept : m_Handle(other.Release()) {}
  UniqueHandle& operator=(UniqueHandle&& other) noexcept {
    if (this != &other) {
      Close();
      m_Handle = other.Release();
    }
    return *this;
  }
  UniqueHandle(const UniqueHandle&) = delete;
  UniqueHandle& operator=(const UniqueHandle&) = delete;
  ~UniqueHandle() { Close(); }

  Native Get() const noexcept { return m_Handle; }
  bool IsOpen() const noexcept { return Traits::IsOpen(m_Handle); }

  // Closes the handle now; returns Error{} or the system's error. The handle is gone either way.
  Error Close() noexcept { return IsOpen() ? Traits::Close(Release()) : Error{}; }

  // Gives the handle up to the caller, who closes it from now on.
  Native Release() noexcept { return std::exchange(m_Handle, Traits::Invalid()); }

 private:
  Native m_Handle = Traits::Invalid();
};

}  // namespace hostseal
