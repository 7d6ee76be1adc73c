// UniqueFd: owns one file descriptor and closes it when it goes out of scope.
#pragma once

#include <unistd.h>

#include <utility>

namespace hostseal::rtnl {

class UniqueFd {
 public:
  UniqueFd() = default;
  explicit UniqueFd(int fd) noexcept : m_Fd(fd) {}
  UniqueFd(UniqueFd&& other) noexcept : m_Fd(std::exchange(other.m_Fd, -1)) {}
  UniqueFd& operator=(UniqueFd&& other) noexcept {
    if (this != &other) Reset(std::exchange(other.m_Fd, -1));
    return *this;
  }
  UniqueFd(const UniqueFd&) = delete;
  UniqueFd& operator=(const UniqueFd&) = delete;
  ~UniqueFd() { Reset(); }

  int Get() const noexcept { return m_Fd; }
  bool Valid() const noexcept { return m_Fd >= 0; }
  void Reset(int fd = -1) noexcept {
    if (m_Fd >= 0) ::close(m_Fd);
    m_Fd = fd;
  }

 private:
  int m_Fd = -1;
};

}  // namespace hostseal::rtnl
