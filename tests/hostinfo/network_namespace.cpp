#include "tests/hostinfo/network_namespace.hpp"

#include <fcntl.h>
#include <sched.h>
#include <unistd.h>

#include <atomic>
#include <exception>

#include "tests/support/process_runner.hpp"

namespace hostseal::test {
namespace {

std::optional<std::string> RunIp(std::vector<std::string> arguments) noexcept {
  try {
    arguments.insert(arguments.begin(), "/bin/ip");
    const testing::ProcessResult result = testing::RunProcess({arguments, {}, "", {}, {}});
    if (result.status == 0) return result.out;
  } catch (const std::exception&) {
  }
  return std::nullopt;
}

}  // namespace

NetworkNamespace::NetworkNamespace(std::string name) : m_Name(std::move(name)) {
  m_Created = RunIp({"netns", "add", m_Name}).has_value();
}

NetworkNamespace::~NetworkNamespace() {
  if (m_Created) RunIp({"netns", "del", m_Name});
}

std::optional<std::string> NetworkNamespace::Ip(const std::vector<std::string>& arguments) const {
  std::vector<std::string> command = {"-n", m_Name};
  command.insert(command.end(), arguments.begin(), arguments.end());
  return RunIp(command);
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
