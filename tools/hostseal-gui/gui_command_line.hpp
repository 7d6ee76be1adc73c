// GuiCommandLine: what hostseal-gui is asked to do. The arguments are read before the window
// connects to a display, so that --help, --version and a usage error need none.
#pragma once

#include <QString>
#include <QStringList>

namespace hostseal::gui {

struct GuiCommandLine {
  enum class Action { kWindow, kScreenshot, kHelp, kVersion, kUsageError };
  Action action = Action::kWindow;
  QString screenshotFile;  // for kScreenshot
  QString text;            // the help text, the version line or what is wrong with the line
};

// arguments[0] is the program. Qt's own options (-platform NAME, -style NAME, -reverse, ...)
// are accepted and left to the application object, which takes them from argv.
GuiCommandLine ParseGuiCommandLine(const QStringList& arguments);

}  // namespace hostseal::gui
