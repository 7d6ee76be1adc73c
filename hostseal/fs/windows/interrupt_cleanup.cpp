#include "hostseal/fs/windows/interrupt_cleanup.hpp"

#include <windows.h>

#include <algorithm>
#include <condition_variable>
#include <mutex>
#include <utility>
#include <vector>

#include "hostseal/fs/windows/extended_length_path.hpp"

namespace hostseal {

namespace {

struct Registry {
  std::mutex lock;
  std::condition_variable undeferred;
  std::vector<std::filesystem::path> files;
  int deferring = 0;  // DeferredInterrupts alive
  bool handlerInstalled = false;
};

Registry& TheRegistry() {
  static Registry registry;
  return registry;
}

BOOL WINAPI RemoveOnConsoleEvent(DWORD /*event*/) {
  Registry& registry = TheRegistry();
  std::unique_lock guard(registry.lock);
  registry.undeferred.wait(guard, [&registry] { return registry.deferring == 0; });
  for (const std::filesystem::path& file : registry.files) ::DeleteFileW(file.c_str());
  registry.files.clear();
  return FALSE;  // the next handler, in the end the system's, ends the process
}

// With the registry's lock held.
void InstallHandler(Registry& registry) {
  if (!registry.handlerInstalled) {
    registry.handlerInstalled = ::SetConsoleCtrlHandler(&RemoveOnConsoleEvent, TRUE) != 0;
  }
}

}  // namespace

// The name is made full now: the handler must find the file whatever the current folder is
// then, and whatever the length of its name.
RemovalOnInterrupt::RemovalOnInterrupt(const std::filesystem::path& file)
    : m_File(ExtendedLengthPath(file)) {
  Registry& registry = TheRegistry();
  const std::lock_guard guard(registry.lock);
  InstallHandler(registry);
  registry.files.push_back(m_File);
}

RemovalOnInterrupt::~RemovalOnInterrupt() {
  Registry& registry = TheRegistry();
  const std::lock_guard guard(registry.lock);
  const auto found = std::find(registry.files.begin(), registry.files.end(), m_File);
  if (found != registry.files.end()) registry.files.erase(found);
}

DeferredInterrupts::DeferredInterrupts() {
  Registry& registry = TheRegistry();
  const std::lock_guard guard(registry.lock);
  InstallHandler(registry);
  ++registry.deferring;
}

DeferredInterrupts::~DeferredInterrupts() {
  Registry& registry = TheRegistry();
  {
    const std::lock_guard guard(registry.lock);
    --registry.deferring;
  }
  registry.undeferred.notify_all();
}

}  // namespace hostseal
