#include "tests/hostinfo/network_namespace.hpp"

#include <fcntl.h>
#include <sched.h>
#include <unistd.h>

#include <atomic>

#include "tests/hostinfo/child_process.hpp"

namespace hostseal::test {

NetworkNamespace::NetworkNamespace(std::string name) : m_Name(std::move(name)) {
  m_Created = RunCommand({"ip", "netns", "add", m_Name}).has_value();
}

NetworkNamespace::~NetworkNamespace() {
  if (m_Created) RunCommand({"ip", "netns", "del", m_Name});
}

bool NetworkNamespace::Ip(const std::vector<std::string>& arguments) const {
  std::vector<std::string> command = {"ip", "-n", m_Name};
  command.insert(command.end(), arguments.begin(), arguments.end());
  return RunCommand(command).has_value();
}

bool NetworkNamespace::Enter() const {
  const std::string path = "/run/netns/" + m_Name;
  const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0) return false;
  const bool entered = ::setns(fd, CLONE_NEWNET) == 0;
  ::close(fd);
  return entered;
}

std::string UniqueName(const std::string& prefix) {
  static std::atomic<int> counter{0};
  return prefix + std::to_string(::getpid()) + "x" + std::to_string(counter++);
}

}  // namespace hostseal::test
