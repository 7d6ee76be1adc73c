// hostseal-gui: the window Form1. With --screenshot FILE it runs a short scripted
// demonstration, writes the window to FILE as a PNG image and exits. --help, --version and
// errors on the command line are answered before any connection to a display.
#include <QApplication>
#include <QByteArray>
#include <cstdio>
#include <string>
#include <vector>

#include "hostseal/common/message_sink.hpp"
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

}  // namespace

int main(int argc, char** argv) {
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
      return 0;
    case GuiCommandLine::Action::kUsageError:
      WriteAll(stderr, QString::fromStdString(hostseal::gui::UsageErrorText(line.text)));
      return 2;
    case GuiCommandLine::Action::kWindow:
    case GuiCommandLine::Action::kScreenshot:
      break;
  }

  QApplication app(argc, argv);
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
    const QString file = QString::fromStdString(line.screenshotFile);
    if (!form.SaveScreenshot(file)) {
      std::fprintf(stderr, "hostseal-gui: cannot write %s\n", qPrintable(file));
      return 1;
    }
    return 0;
  }

  hostseal::QtMessageSink sink(QApplication::applicationName());
  const hostseal::DefaultMessageSinkScope scope(sink);
  hostseal::Form1 form(sink);
  sink.SetParent(&form);
  form.show();
  return QApplication::exec();
}
