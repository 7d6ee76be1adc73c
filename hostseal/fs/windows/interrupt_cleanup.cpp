#include "hostseal/fs/windows/interrupt_cleanup.hpp"

#include <windows.h>

#include <algorithm>
#include <mutex>
#include <utility>
#include <vector>

namespace hostseal {

namespace {

struct Registry {
  std::mutex lock;
  std::vector<std::filesystem::path> files;
  bool handlerInstalled = false;
};

Registry& TheRegistry() {
  static Registry registry;
  return registry;
}

BOOL WINAPI RemoveOnConsoleEvent(DWORD /*event*/) {
  Registry& registry = TheRegistry();
  const std::lock_guard guard(registry.lock);
  for (const std::filesystem::path& file : registry.files) ::DeleteFileW(file.c_str());
  registry.files.clear();
  return FALSE;  // the next handler, in the end the system's, ends the process
}

}  // namespace

RemovalOnInterrupt::RemovalOnInterrupt(std::filesystem::path file) : m_File(std::move(file)) {
  Registry& registry = TheRegistry();
  const std::lock_guard guard(registry.lock);
  if (!registry.handlerInstalled) {
    registry.handlerInstalled = ::SetConsoleCtrlHandler(&RemoveOnConsoleEvent, TRUE) != 0;
  }
  registry.files.push_back(m_File);
}

RemovalOnInterrupt::~RemovalOnInterrupt() {
  Registry& registry = TheRegistry();
  const std::lock_guard guard(registry.lock);
  const auto found = std::find(registry.files.begin(), registry.files.end(), m_File);
  if (found != registry.files.end()) registry.files.erase(found);
}

}  // namespace hostseal
