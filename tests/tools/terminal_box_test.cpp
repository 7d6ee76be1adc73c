// The terminal box: status lines with and without ANSI colours, and when colours are wanted.
#include "hostseal/ui/terminal_box.hpp"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <stdlib.h>
#include <unistd.h>

#include <sstream>

#include "hostseal/ui/status_log.hpp"

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
  EXPECT_EQ(Log(false), "ab cd\n\nhost: 中\nkind 3\ntwo\nlines");
  EXPECT_EQ(Log(true),
            "\x1b[32mab cd\x1b[0m\n"
            "\n"
            "\x1b[31mhost: 中\x1b[0m\n"
            "\x1b[31mkind 3\x1b[0m\n"
            "\x1b[1;38;2;153;102;51mtwo\x1b[0m\n"
            "\x1b[1;38;2;153;102;51mlines\x1b[0m");
}

TEST(TerminalBox, ColoursOnATerminalUnlessNoColorIsSet) {
  const int terminal = ::posix_openpt(O_RDWR | O_NOCTTY);
  ASSERT_GE(terminal, 0);
  ASSERT_EQ(::grantpt(terminal), 0);
  ASSERT_EQ(::unlockpt(terminal), 0);
  const int follower = ::open(::ptsname(terminal), O_RDWR | O_NOCTTY);
  ASSERT_GE(follower, 0);
  int pipeFds[2];
  ASSERT_EQ(::pipe(pipeFds), 0);

  ::unsetenv("NO_COLOR");
  EXPECT_TRUE(TerminalBox::ColoursWanted(follower));
  EXPECT_FALSE(TerminalBox::ColoursWanted(pipeFds[1]));
  ::setenv("NO_COLOR", "", 1);
  EXPECT_TRUE(TerminalBox::ColoursWanted(follower));
  ::setenv("NO_COLOR", "1", 1);
  EXPECT_FALSE(TerminalBox::ColoursWanted(follower));
  ::unsetenv("NO_COLOR");

  for (const int fd : {terminal, follower, pipeFds[0], pipeFds[1]}) ::close(fd);
}

}  // namespace
}  // namespace hostseal::testing
