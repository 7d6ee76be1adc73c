// What the tests of every window share: the host queries they inject, and the log's lines as
// the window shows them, each with the colour of its first character.
#pragma once

#include <cstdint>
#include <optional>
#include <ostream>
#include <string>
#include <utility>
#include <vector>

#include "hostseal/common/utf8.hpp"
#include "hostseal/log/rich_text_box.hpp"
#include "hostseal/operations/identity_operation.hpp"
#include "tests/support/memory_box.hpp"

namespace hostseal {

// A line as gtest prints it (found beside MemoryBox::Line).
inline void PrintTo(const MemoryBox::Line& line, std::ostream* out) {
  *out << ToUtf8(line.text) << " [" << std::hex << line.color << "]";
}

}  // namespace hostseal

namespace hostseal::testing {

// A line of a window's log: its text and the colour of its first character.
using ShownLine = MemoryBox::Line;

// A window's box (its Text() and ColorAt(position)) as lines without their breaks.
template <class Box>
std::vector<ShownLine> ShownLines(const Box& box) {
  std::vector<ShownLine> lines;
  const std::u16string text = box.Text();
  std::size_t start = 0;
  while (start < text.size()) {
    std::size_t end = text.find(u"\r\n", start);
    if (end == std::u16string::npos) end = text.size();
    lines.push_back(
        {text.substr(start, end - start), box.ColorAt(static_cast<std::int32_t>(start))});
    start = end + 2;
  }
  return lines;
}

// The first name that a test queued for a file dialog, taken from the queue; "" (the dialog
// cancelled) once none is left.
template <class Name>
Name TakeFirst(std::vector<Name>& names) {
  if (names.empty()) return {};
  Name name = std::move(names.front());
  names.erase(names.begin());
  return name;
}

// A host named box1 at 10.0.0.5 with MAC 00-C-29-A-B-1, without a default route.
inline HostQueries InjectedQueries() {
  HostQueries queries;
  queries.hostName = [] { return std::u16string(u"box1"); };
  queries.hostIP = [](const std::u16string&) { return std::u16string(u"10.0.0.5"); };
  queries.macAddress = [](const std::u16string&, std::u16string& sMac) {
    sMac = u"00-C-29-A-B-1";
    return true;
  };
  queries.cpu = [] { return std::u16string(u"BFEBFBFF000906EA"); };
  queries.defaultRoute = [] { return std::optional<InterfaceIdentity>(); };
  return queries;
}

// The identity lines that InjectedQueries gives.
inline std::vector<ShownLine> InjectedIdentityLines(const std::u16string& sealedText) {
  return {
      {u"Host name: box1", kGreen},
      {u"IP address: 10.0.0.5", kGreen},
      {u"MAC address: 00-C-29-A-B-1", kGreen},
      {u"CPU: BFEBFBFF000906EA", kGreen},
      {u"Encrypted identity: " + sealedText, kGreen},
  };
}

}  // namespace hostseal::testing
