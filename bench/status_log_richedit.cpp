// AddStatusLine into the window's RichEdit log on Windows (run it under Wine with
// tests/support/windows/with_display.sh), beside the in-memory box in the same run: the
// microseconds per line for lines 1-1,000 and for lines 9,001-10,000 of one log, in a window
// that is shown, as the window's log is. The second figure against the first shows whether a
// line costs more as the log grows.
//   hostseal_bench_status_log_richedit
#include <windows.h>

#include <richedit.h>

#include <chrono>
#include <cstdio>
#include <string>

#include "hostseal/log/status_log.hpp"
#include "hostseal/ui/win32/richedit_box.hpp"
#include "tests/support/memory_box.hpp"

namespace {

using Clock = std::chrono::steady_clock;

constexpr int kLines = 10'000;
constexpr int kBatch = 1'000;

// Microseconds per line of the first and of the last batch of kLines lines of 78 characters.
template <class Box>
std::pair<double, double> TimeLines(Box& box) {
  const std::u16string head = u"Encrypt text: ";
  const std::u16string line(64, u'A');
  double first = 0;
  double last = 0;
  for (int batch = 0; batch < kLines / kBatch; ++batch) {
    const auto start = Clock::now();
    for (int i = 0; i < kBatch; ++i) hostseal::AddStatusLine(box, head, line, i % 2);
    const double micro =
        std::chrono::duration<double, std::micro>(Clock::now() - start).count() / kBatch;
    if (batch == 0) first = micro;
    last = micro;
  }
  return {first, last};
}

}  // namespace

int main() {
  hostseal::RichEditBox::LoadControlLibrary();
  HWND window = ::CreateWindowExW(0, L"STATIC", L"bench", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 0, 0,
                                  600, 400, nullptr, nullptr, nullptr, nullptr);
  HWND edit = ::CreateWindowExW(
      0, MSFTEDIT_CLASS, L"",
      WS_CHILD | WS_VISIBLE | WS_VSCROLL | ES_MULTILINE | ES_READONLY | ES_AUTOVSCROLL, 0, 0, 580,
      380, window, nullptr, nullptr, nullptr);
  ::SendMessageW(edit, EM_EXLIMITTEXT, 0, 0x7FFFFFFE);
  hostseal::RichEditBox richEdit(edit);
  hostseal::MemoryBox memory;

  const auto [editFirst, editLast] = TimeLines(richEdit);
  const auto [memoryFirst, memoryLast] = TimeLines(memory);
  std::printf("box        us/line lines 1-1000  us/line lines 9001-10000  growth\n");
  std::printf("RichEdit   %20.1f  %24.1f  %6.1fx\n", editFirst, editLast, editLast / editFirst);
  std::printf("memory     %20.1f  %24.1f  %6.1fx\n", memoryFirst, memoryLast,
              memoryLast / memoryFirst);
  std::printf("RichEdit / memory: %.0fx (first), %.0fx (last)\n", editFirst / memoryFirst,
              editLast / memoryLast);
  ::DestroyWindow(window);
  return 0;
}
