// hostseal-gui: the window Form1. With --screenshot FILE it runs a short scripted
// demonstration, writes the window to FILE as a PNG image through the file layer and exits
// (status 3 and the file error's description when it cannot). --help, --version and
// errors on the command line are answered before any connection to a display; without a
// display the program says so in one line and exits with status 1.
#include <QApplication>
#include <QByteArray>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "hostseal/common/message_sink.hpp"
#include "hostseal/common/raised_error.hpp"
#include "hostseal/ui/qt/form1.hpp"
#include "hostseal/ui/qt/qt_message_sink.hpp"
#include "tools/hostseal-gui/gui_command_line.hpp"

namespace {

// Writes all of text to stream; false when it cannot (a closed pipe, a full disk).
bool WriteAll(std::FILE* stream, const QString& text) {
  const QByteArray bytes = text.toLocal8Bit();
  return std::fwrite(bytes.constData(), 1, static_cast<std::size_t>(bytes.size()), stream) ==
             static_cast<std::size_t>(bytes.size()) &&
         std::fflush(stream) == 0;
}

// While QApplication connects to the display, Qt's messages are held back. When no platform
// plugin can connect (no DISPLAY, a display that does not answer, a missing plugin), Qt ends
// the process with a fatal message about reinstalling the application; instead the program
// says what is missing and how to run it without a display, and exits with status 1.
class DisplayConnection {
 public:
  DisplayConnection() { s_Previous = qInstallMessageHandler(&Hold); }
  ~DisplayConnection() { qInstallMessageHandler(s_Previous); }
  DisplayConnection(const DisplayConnection&) = delete;
  DisplayConnection& operator=(const DisplayConnection&) = delete;

  // Passes on what was held back: the application is up, so these were no reason to stop.
  static void Release() {
    for (const auto& [type, text] : Held()) {
      if (s_Previous != nullptr) s_Previous(type, QMessageLogContext(), text);
    }
    Held().clear();
  }

 private:
  static std::vector<std::pair<QtMsgType, QString>>& Held() {
    static std::vector<std::pair<QtMsgType, QString>> held;
    return held;
  }

  static void Hold(QtMsgType type, const QMessageLogContext& context, const QString& text) {
    if (type != QtFatalMsg) {
      Held().emplace_back(type,
                          context.category == nullptr || qstrcmp(context.category, "default") == 0
                              ? text
                              : QString::fromUtf8(context.category) + QStringLiteral(": ") + text);
      return;
    }
    const QByteArray display = qgetenv("DISPLAY");
    const QByteArray wayland = qgetenv("WAYLAND_DISPLAY");
    QByteArray what = "no display (DISPLAY and WAYLAND_DISPLAY are not set)";
    if (!display.isEmpty() || !wayland.isEmpty()) {
      what = "cannot connect to the display \"" + (display.isEmpty() ? wayland : display) + '"';
    }
    std::fprintf(stderr,
                 "hostseal-gui: %s; the window needs a desktop session, or without one: "
                 "QT_QPA_PLATFORM=offscreen hostseal-gui --screenshot FILE.png\n",
                 what.constData());
    std::fflush(stderr);
    std::_Exit(hostseal::gui::kGuiNotShown);
  }

  static inline QtMessageHandler s_Previous = nullptr;
};

}  // namespace

int main(int argc, char** argv) {
  // A write past the file-size limit (ulimit -f) is an error the window reports ("File too
  // large"), not a death of the process in the middle of writing a file.
  std::signal(SIGXFSZ, SIG_IGN);
  using hostseal::gui::GuiCommandLine;
  std::vector<std::string> arguments;
  arguments.reserve(static_cast<std::size_t>(argc));
  for (int i = 0; i < argc; ++i) arguments.push_back(QString::fromLocal8Bit(argv[i]).toStdString());
  const GuiCommandLine line = hostseal::gui::ParseGuiCommandLine(arguments, true);
  switch (line.action) {
    case GuiCommandLine::Action::kHelp:
    case GuiCommandLine::Action::kVersion:
      if (!WriteAll(stdout, QString::fromStdString(line.text))) {
        std::fprintf(stderr, "hostseal-gui: cannot write to standard output\n");
        return 1;
      }
      return hostseal::gui::kGuiSuccess;
    case GuiCommandLine::Action::kUsageError:
      WriteAll(stderr, QString::fromStdString(hostseal::gui::UsageErrorText(line.text)));
      return hostseal::gui::kGuiUsage;
    case GuiCommandLine::Action::kWindow:
    case GuiCommandLine::Action::kScreenshot:
      break;
  }

  std::optional<DisplayConnection> connecting(std::in_place);
  QApplication app(argc, argv);
  connecting.reset();
  DisplayConnection::Release();
  QApplication::setApplicationName(QStringLiteral("hostseal"));
  QApplication::setApplicationVersion(QStringLiteral(HOSTSEAL_VERSION));

  if (line.action == GuiCommandLine::Action::kScreenshot) {
    // Nobody is there to close a message box: messages go to standard error.
    hostseal::StandardErrorSink sink;
    const hostseal::DefaultMessageSinkScope scope(sink);
    hostseal::Form1 form(sink);
    form.show();
    form.RunDemonstration();
    QApplication::processEvents();
    try {
      form.SaveScreenshot(QString::fromStdString(line.screenshotFile));
    } catch (const hostseal::RaisedError& error) {
      // UTF-8, as the command-line tool writes its messages.
      std::fputs(hostseal::gui::RaisedErrorText(error.Description()).c_str(), stderr);
      return hostseal::gui::kGuiRaised;
    }
    return hostseal::gui::kGuiSuccess;
  }

  hostseal::QtMessageSink sink(QApplication::applicationName());
  const hostseal::DefaultMessageSinkScope scope(sink);
  hostseal::Form1 form(sink);
  sink.SetParent(&form);
  form.show();
  return QApplication::exec();
}
