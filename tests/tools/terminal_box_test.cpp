// The terminal box: status lines with and without ANSI colours. When colours are wanted is
// tested through `hostseal identity` on a pseudo-terminal.
#include "tools/hostseal/streams/terminal_box.hpp"

#include <gtest/gtest.h>

#include <sstream>

#include "hostseal/log/status_log.hpp"

namespace hostseal::testing {
namespace {

std::string Log(bool colours) {
  std::ostringstream out;
  TerminalBox box(out, colours);
  AddStatusLine(box, u"ab ", u"cd", 0);
  AddStatusLine(box, u"", u"", 0);
  AddStatusLine(box, u"host: ", u"中", 1);
  AddStatusLine(box, u"kind ", u"3", 3);  // keeps the colour at the end of the box
  box.SetSelColor(0x336699);
  box.SetSelBold(true);
  box.SetSelText(u"two\r\nlines");
  EXPECT_EQ(box.Text(), u"ab cd\r\n\r\nhost: 中\r\nkind 3\r\ntwo\r\nlines");
  return out.str();
}

TEST(TerminalBox, WritesLinesWithColoursOnlyWhenSwitchedOn) {
  // Without colours the red lines are marked, so that failures still stand out.
  EXPECT_EQ(Log(false), "ab cd\n\n[failed] host: 中\n[failed] kind 3\ntwo\nlines");
  EXPECT_EQ(Log(true),
            "\x1b[32mab cd\x1b[0m\n"
            "\n"
            "\x1b[31mhost: 中\x1b[0m\n"
            "\x1b[31mkind 3\x1b[0m\n"
            "\x1b[1;38;2;153;102;51mtwo\x1b[0m\n"
            "\x1b[1;38;2;153;102;51mlines\x1b[0m");
}

}  // namespace
}  // namespace hostseal::testing

namespace hostseal {
namespace {

TEST(TerminalBoxColours, NoColorAndDumbTerminalsWinOverATerminalThatTakesThem) {
  EXPECT_TRUE(TerminalBox::ColoursWanted(nullptr, nullptr, true));
  EXPECT_TRUE(TerminalBox::ColoursWanted("", "xterm-256color", true));  // empty: unset
  EXPECT_FALSE(TerminalBox::ColoursWanted("1", nullptr, true));
  EXPECT_FALSE(TerminalBox::ColoursWanted(nullptr, "dumb", true));
  EXPECT_FALSE(TerminalBox::ColoursWanted(nullptr, nullptr, false));  // a file, NUL, no VT
}

}  // namespace
}  // namespace hostseal
