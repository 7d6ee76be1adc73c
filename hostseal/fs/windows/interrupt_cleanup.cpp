// The Windows side of interrupt_cleanup.hpp: one console handler, which waits for every
// DeferredInterrupts to go and then deletes the registered files. It runs on a thread of its
// own, so it may take the lock that registering a file and entering a deferred section take.
#include "hostseal/fs/interrupt_cleanup.hpp"

#include <windows.h>

#include <condition_variable>
#include <mutex>
#include <vector>

#include "hostseal/fs/windows/extended_length_path.hpp"

namespace hostseal {

namespace {

struct Registry {
  std::mutex lock;
  std::condition_variable undeferred;
  std::vector<std::filesystem::path> files;  // by slot; empty where the slot is free
  int deferring = 0;                         // DeferredInterrupts alive
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
  for (std::filesystem::path& file : registry.files) {
    if (!file.empty()) ::DeleteFileW(file.c_str());
    file.clear();
  }
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
  std::size_t slot = 0;
  while (slot < registry.files.size() && !registry.files[slot].empty()) ++slot;
  if (slot == registry.files.size()) registry.files.emplace_back();
  registry.files[slot] = std::move(file);
  m_Slot = static_cast<int>(slot);
}

RemovalOnInterrupt::~RemovalOnInterrupt() {
  Registry& registry = TheRegistry();
  const std::lock_guard guard(registry.lock);
  registry.files[static_cast<std::size_t>(m_Slot)].clear();
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
