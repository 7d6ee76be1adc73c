// hostseal-gui: the window Form1. With --screenshot FILE it runs a short scripted
// demonstration, writes the window to FILE as a PNG image and exits.
#include <QApplication>
#include <QCommandLineParser>
#include <cstdio>

#include "hostseal/common/message_sink.hpp"
#include "hostseal/ui/qt/form1.hpp"
#include "hostseal/ui/qt/qt_message_sink.hpp"

namespace {

// Makes a sink the process default for as long as it lives.
class DefaultSinkScope {
 public:
  explicit DefaultSinkScope(hostseal::MessageSink& sink)
      : m_Previous(hostseal::SetDefaultMessageSink(&sink)) {}
  ~DefaultSinkScope() { hostseal::SetDefaultMessageSink(m_Previous); }
  DefaultSinkScope(const DefaultSinkScope&) = delete;
  DefaultSinkScope& operator=(const DefaultSinkScope&) = delete;

 private:
  hostseal::MessageSink* m_Previous;
};

}  // namespace

int main(int argc, char** argv) {
  QApplication app(argc, argv);
  QApplication::setApplicationName(QStringLiteral("hostseal"));
  QApplication::setApplicationVersion(QStringLiteral(HOSTSEAL_VERSION));

  QCommandLineParser parser;
  parser.setApplicationDescription(
      QStringLiteral("hostseal's window: host identity, text and file encryption"));
  parser.addHelpOption();
  parser.addVersionOption();
  const QCommandLineOption screenshot(
      QStringLiteral("screenshot"),
      QStringLiteral("Run a short demonstration, write the window to <file> as PNG and exit."),
      QStringLiteral("file"));
  parser.addOption(screenshot);
  parser.process(app);

  if (parser.isSet(screenshot)) {
    // Nobody is there to close a message box: messages go to standard error.
    hostseal::StandardErrorSink sink;
    const DefaultSinkScope scope(sink);
    hostseal::Form1 form(sink);
    form.show();
    form.RunDemonstration();
    QApplication::processEvents();
    if (!form.SaveScreenshot(parser.value(screenshot))) {
      std::fprintf(stderr, "hostseal-gui: cannot write %s\n",
                   qUtf8Printable(parser.value(screenshot)));
      return 1;
    }
    return 0;
  }

  hostseal::QtMessageSink sink(QApplication::applicationName());
  const DefaultSinkScope scope(sink);
  hostseal::Form1 form(sink);
  sink.SetParent(&form);
  form.show();
  return QApplication::exec();
}
