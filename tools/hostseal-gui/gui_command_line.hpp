// GuiCommandLine: what hostseal-gui is asked to do. One reader for Linux and Windows, so that
// both programs answer a command line with the same texts; the arguments are read before the
// window connects to a display, so that --help, --version and a usage error need none.
#pragma once

#include <string>
#include <vector>

namespace hostseal::gui {

struct GuiCommandLine {
  enum class Action { kWindow, kScreenshot, kHelp, kVersion, kUsageError };
  Action action = Action::kWindow;
  std::string screenshotFile;  // for kScreenshot
  std::string text;            // the help text, the version line or what is wrong with the line
};

// arguments[0] is the program; all are UTF-8. With qtOptions (the Qt window on Linux), Qt's own
// options (-platform NAME, -style NAME, -reverse, ...) are accepted and left to the
// application object, which takes them from argv.
GuiCommandLine ParseGuiCommandLine(const std::vector<std::string>& arguments, bool qtOptions);

// A usage error as both programs report it, on standard error or in a message box.
std::string UsageErrorText(const std::string& what);

}  // namespace hostseal::gui
