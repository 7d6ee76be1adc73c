#include "hostseal/cipher/chunk_runner.hpp"

#include <algorithm>
#include <atomic>
#include <exception>
#include <memory>
#include <system_error>
#include <thread>

#include "hostseal/common/secure_wipe.hpp"

namespace hostseal {

void RunChunks(std::uint64_t count, std::size_t bufferSize,
               const std::function<void(std::uint64_t index, Byte* buffer)>& job,
               const std::function<void(std::uint64_t done)>& report) {
  std::atomic<std::uint64_t> next{0};
  std::atomic<std::uint64_t> done{0};
  std::atomic<bool> stop{false};
  std::exception_ptr helperFailure;

  // Takes chunks until none is left or a thread has failed; true when a chunk was done.
  auto takeChunk = [&](Byte* buffer) {
    if (stop.load()) return false;
    const std::uint64_t index = next.fetch_add(1);
    if (index >= count) return false;
    job(index, buffer);
    done.fetch_add(1);
    return true;
  };

  {
    std::jthread helper;  // joined when this block is left, on every path
    if (count > 1 && std::thread::hardware_concurrency() > 1) {
      // The helper only saves time: when no thread can be started (a process or memory
      // limit), the calling thread does every chunk itself.
      try {
        helper = std::jthread([&] {
          try {
            const WipedBuffer buffer(bufferSize);
            while (takeChunk(buffer.Get())) {
            }
          } catch (...) {
            helperFailure = std::current_exception();
            stop.store(true);
          }
        });
      } catch (const std::system_error&) {
      }
    }

    try {
      const WipedBuffer buffer(bufferSize);
      std::uint64_t reported = 0;
      // The last chunk is left out so that a report always comes before the end, and a
      // caller that stops there stops the whole run.
      auto reportProgress = [&] {
        const std::uint64_t complete = std::min(done.load(), count - 1);
        if (complete > reported && report) {
          reported = complete;
          report(complete);
        }
      };
      while (takeChunk(buffer.Get())) reportProgress();
      // The helper may have taken every chunk that was left, even all of them: the report
      // that is due then comes once it is done.
      if (helper.joinable()) helper.join();
      if (!helperFailure) reportProgress();
    } catch (...) {
      stop.store(true);
      throw;
    }
  }
  if (helperFailure) std::rethrow_exception(helperFailure);
}

}  // namespace hostseal
