// The Windows side of interrupt_cleanup.hpp: one console handler, which waits for every
// DeferredInterrupts to go and then deletes the registered files. It runs on a thread of its
// own, so it may take the lock that registering a file and entering a deferred section take.
#include "hostseal/fs/interrupt_cleanup.hpp"

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
  // Each with the number of the RemovalOnInterrupt that registered it.
  std::vector<std::pair<int, std::filesystem::path>> files;
  unsigned registered = 0;  // RemovalOnInterrupt made so far
  int deferring = 0;        // DeferredInterrupts alive
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
  for (const auto& [number, file] : registry.files) ::DeleteFileW(file.c_str());
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

RemovalOnInterrupt::RemovalOnInterrupt(int /*folder: kWholePath*/, SystemName name) {
  std::filesystem::path file = ExtendedLengthPath(std::filesystem::path(name));
  Registry& registry = TheRegistry();
  const std::lock_guard guard(registry.lock);
  InstallHandler(registry);
  m_Slot = static_cast<int>(registry.registered++ & 0x7FFFFFFFU);
  registry.files.emplace_back(m_Slot, std::move(file));
}

RemovalOnInterrupt::~RemovalOnInterrupt() {
  Registry& registry = TheRegistry();
  const std::lock_guard guard(registry.lock);
  const auto found = std::find_if(registry.files.begin(), registry.files.end(),
                                  [this](const auto& entry) { return entry.first == m_Slot; });
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
