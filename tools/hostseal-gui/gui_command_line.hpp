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

// How both programs end, as their manual says: 1 when the window could not be shown (no
// display), 2 for a usage error, 3 for a raised error (a screenshot that could not be written),
// its description on standard error as the command-line tool shows one.
enum GuiExitStatus : int { kGuiSuccess = 0, kGuiNotShown = 1, kGuiUsage = 2, kGuiRaised = 3 };

// A raised error's description as both programs report it: "hostseal-gui: " and the
// description (whose names show control characters as their codes), one line.
std::string RaisedErrorText(const std::string& description);

}  // namespace hostseal::gui
