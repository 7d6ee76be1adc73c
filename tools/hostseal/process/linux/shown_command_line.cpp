// On Linux the argv that SecretArguments wiped is the memory /proc/PID/cmdline reads, from the
// kernel's arg_start to arg_end, zero bytes and all: a wiped value would still show as a run of
// zero bytes as long as the value was. So the whole area is rewritten as one line, the way
// setproctitle(3) does: the arguments joined by spaces, every wiped value left out (its option,
// and the "=" of "--key=VALUE", stay; so are empty arguments), then zero bytes, and a last byte
// that is not zero. The kernel shows such an area only up to its first zero byte, and the line's
// length no longer depends on any value's. What others see, as with ps, is the command line without
// the values; arguments are no longer told apart by zero bytes.
#include "tools/hostseal/process/shown_command_line.hpp"

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <fstream>
#include <iterator>
#include <sstream>
#include <string>

#include "hostseal/common/secure_wipe.hpp"

namespace hostseal::cli {

namespace {

// The kernel's arg_start and arg_end (fields 48 and 49 of /proc/self/stat); false when they
// cannot be read.
bool ArgumentArea(std::uintptr_t& start, std::uintptr_t& end) {
  std::ifstream file("/proc/self/stat");
  const std::string stat((std::istreambuf_iterator<char>(file)), std::istreambuf_iterator<char>());
  const std::size_t afterName = stat.rfind(')');  // the name may hold spaces and ")"
  if (afterName == std::string::npos) return false;
  std::istringstream fields(stat.substr(afterName + 1));
  std::string field;
  for (int number = 3; number < 48 && (fields >> field); ++number) {
  }
  return static_cast<bool>(fields >> start >> end);
}

}  // namespace

void HideWipedArguments(int argc, char** argv) {
  std::uintptr_t start = 0, end = 0;
  if (argc < 1 || !ArgumentArea(start, end) || reinterpret_cast<std::uintptr_t>(argv[0]) != start) {
    return;
  }
  // The arguments lie one after the other in the area, each with its zero byte; a wiped value
  // is a run of zero bytes at an argument's end.
  std::string line;
  for (int i = 0; i < argc; ++i) {
    const auto at = reinterpret_cast<std::uintptr_t>(argv[i]);
    const std::uintptr_t next = i + 1 < argc ? reinterpret_cast<std::uintptr_t>(argv[i + 1]) : end;
    if (at < start || next <= at || next > end) return;  // not the layout the kernel makes
    const std::size_t kept = std::strlen(argv[i]);
    // A value taken whole is left out, as is any empty argument: an empty value ("") must look
    // as any other.
    if (kept == 0) continue;
    if (i > 0) line += ' ';
    line.append(argv[i], kept);
  }
  const std::size_t size = end - start;
  if (line.size() + 2 > size) return;  // no value was taken: nothing to hide
  char* area = argv[0];
  SecureWipe(area, size);
  std::memcpy(area, line.data(), line.size());
  area[size - 1] = ' ';
}

}  // namespace hostseal::cli
