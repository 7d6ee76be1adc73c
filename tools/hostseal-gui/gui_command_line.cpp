// GuiCommandLine: hostseal-gui's options on QCommandLineParser, which needs no application
// object for parse().
#include "tools/hostseal-gui/gui_command_line.hpp"

#include <QCommandLineOption>
#include <QCommandLineParser>

namespace hostseal::gui {

namespace {

// The options that QGuiApplication and QApplication take out of argv themselves.
const char* const kQtOptionsWithValue[] = {"platform",      "platformpluginpath",
                                           "platformtheme", "plugin",
                                           "display",       "qwindowgeometry",
                                           "qwindowtitle",  "qwindowicon",
                                           "geometry",      "title",
                                           "icon",          "name",
                                           "session",       "style",
                                           "stylesheet",    "qmljsdebugger"};
const char* const kQtFlags[] = {"reverse", "widgetcount", "sync",
                                "nograb",  "dograb",      "testability"};

// Qt reads "-platform NAME" but passes over "-platform=NAME": the first such argument, or "".
QString QtOptionWithEquals(const QStringList& arguments) {
  for (const QString& argument : arguments.mid(1)) {
    if (argument == QStringLiteral("--")) break;
    for (const char* name : kQtOptionsWithValue) {
      const QString option = QString::fromLatin1(name) + QLatin1Char('=');
      if (option == QStringLiteral("qmljsdebugger=")) continue;  // Qt's one option with '='
      if (argument.startsWith(QLatin1Char('-') + option) ||
          argument.startsWith(QStringLiteral("--") + option)) {
        return argument;
      }
    }
  }
  return {};
}

}  // namespace

GuiCommandLine ParseGuiCommandLine(const QStringList& arguments) {
  QCommandLineParser parser;
  // Qt's options are single-dash words (-platform), not bundles of letters.
  parser.setSingleDashWordOptionMode(QCommandLineParser::ParseAsLongOptions);
  parser.setApplicationDescription(QStringLiteral(
      "hostseal's window: host identity, text and file encryption.\n"
      "Qt's own options (-platform NAME, -style NAME, -reverse, ...) are accepted as well."));
  const QCommandLineOption help({QStringLiteral("h"), QStringLiteral("help")},
                                QStringLiteral("Show this help and exit."));
  const QCommandLineOption version({QStringLiteral("v"), QStringLiteral("version")},
                                   QStringLiteral("Show the version and exit."));
  const QCommandLineOption screenshot(
      QStringLiteral("screenshot"),
      QStringLiteral("Run a short demonstration, write the window to <file> as PNG and exit."),
      QStringLiteral("file"));
  parser.addOption(help);
  parser.addOption(version);
  parser.addOption(screenshot);
  for (const char* name : kQtOptionsWithValue) {
    QCommandLineOption option(QString::fromLatin1(name), QString(), QStringLiteral("value"));
    option.setFlags(QCommandLineOption::HiddenFromHelp);
    parser.addOption(option);
  }
  for (const char* name : kQtFlags) {
    QCommandLineOption option(QString::fromLatin1(name));
    option.setFlags(QCommandLineOption::HiddenFromHelp);
    parser.addOption(option);
  }

  GuiCommandLine line;
  if (!parser.parse(arguments)) {
    line.action = GuiCommandLine::Action::kUsageError;
    line.text = parser.errorText();
  } else if (const QString option = QtOptionWithEquals(arguments); !option.isEmpty()) {
    line.action = GuiCommandLine::Action::kUsageError;
    line.text = QStringLiteral("Qt takes the value of '%1' as the next argument, without '='")
                    .arg(option.section(QLatin1Char('='), 0, 0));
  } else if (parser.isSet(help)) {
    line.action = GuiCommandLine::Action::kHelp;
    line.text = parser.helpText();
    // Without an application object the parser does not know the program's name.
    line.text.replace(QStringLiteral("<executable_name>"), QStringLiteral("hostseal-gui"));
  } else if (parser.isSet(version)) {
    line.action = GuiCommandLine::Action::kVersion;
    line.text = QStringLiteral("hostseal-gui " HOSTSEAL_VERSION "\n");
  } else if (!parser.positionalArguments().isEmpty()) {
    line.action = GuiCommandLine::Action::kUsageError;
    line.text = QStringLiteral("unexpected argument '%1'").arg(parser.positionalArguments()[0]);
  } else if (parser.isSet(screenshot)) {
    line.action = GuiCommandLine::Action::kScreenshot;
    line.screenshotFile = parser.value(screenshot);
  }
  return line;
}

}  // namespace hostseal::gui
