// hostseal-gui's command line, run with no display in its environment: help, version and
// usage errors are answered without one, and Qt's own options still reach the window.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <QImage>
#include <QTemporaryDir>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "tests/support/process_runner.hpp"
#include "tests/ui/gui_usage_cases.hpp"

namespace hostseal::testing {
namespace {

ProcessResult Gui(const std::vector<std::string>& args) {
  ProcessRun run;
  run.argv = {HOSTSEAL_GUI_PATH};
  run.argv.insert(run.argv.end(), args.begin(), args.end());
  run.env = {"PATH=/usr/sbin:/usr/bin:/sbin:/bin", "LC_ALL=C.UTF-8"};  // no DISPLAY
  for (const char* name : {"ASAN_OPTIONS", "UBSAN_OPTIONS", "LSAN_OPTIONS"}) {
    if (const char* value = std::getenv(name)) run.env.push_back(std::string(name) + "=" + value);
  }
  return RunProcess(run);
}

TEST(GuiCommandLine, HelpVersionAndUsageErrorsNeedNoDisplay) {
  const ProcessResult help = Gui({"--help"});
  EXPECT_EQ(help.status, 0) << help.err;
  EXPECT_EQ(help.out.rfind("Usage: hostseal-gui", 0), 0U) << help.out;
  EXPECT_NE(help.out.find("--screenshot <file>"), std::string::npos);
  const ProcessResult version = Gui({"-v"});
  EXPECT_EQ(version.status, 0) << version.err;
  EXPECT_EQ(version.out, "hostseal-gui " HOSTSEAL_VERSION "\n");
  for (const char* wrong : {"-platform", "-platform=offscreen"}) {
    const ProcessResult result = Gui({wrong});
    EXPECT_EQ(result.status, 2) << wrong;
    EXPECT_EQ(result.err.rfind("hostseal-gui: ", 0), 0U) << result.err;
  }
  for (const GuiUsageCase& usage : GuiUsageCases()) {  // as on Windows
    const ProcessResult result = Gui(usage.arguments);
    EXPECT_EQ(result.status, 2) << usage.arguments[0];
    EXPECT_EQ(result.err, usage.error);
  }
}

// Without a display that answers, the window says so in one line with the way to run it
// without one, and exits with status 1, as its manual page says; never Qt's abort.
TEST(GuiCommandLine, NoDisplayIsOneLineAndStatusOne) {
  for (const std::vector<std::string>& args :
       {std::vector<std::string>{}, {"--screenshot", "shot.png"}, {"-display", ":64999"}}) {
    const ProcessResult result = Gui(args);
    EXPECT_EQ(result.status, 1) << result.err;
    EXPECT_EQ(result.err.rfind("hostseal-gui: ", 0), 0U) << result.err;
    EXPECT_EQ(result.err.find('\n'), result.err.size() - 1) << result.err;
    EXPECT_NE(result.err.find("QT_QPA_PLATFORM=offscreen"), std::string::npos) << result.err;
  }
}

TEST(GuiCommandLine, QtsOwnOptionsReachTheWindow) {
  QTemporaryDir dir;
  ASSERT_TRUE(dir.isValid());
  const std::string file = dir.filePath(QStringLiteral("shot.png")).toStdString();
  const ProcessResult result = Gui({"-platform", "offscreen", "-reverse", "--screenshot", file});
  ASSERT_EQ(result.status, 0) << result.err;
  EXPECT_FALSE(QImage(QString::fromStdString(file)).isNull());

  // A new screenshot gets mode 0644 less the umask; one that replaces a file keeps its mode.
  const mode_t mask = ::umask(0);
  ::umask(mask);
  namespace fs = std::filesystem;
  EXPECT_EQ(fs::status(file).permissions(), fs::perms(0644 & ~mask));
  fs::permissions(file, fs::perms(0640));
  ASSERT_EQ(Gui({"-platform", "offscreen", "--screenshot", file}).status, 0);
  EXPECT_EQ(fs::status(file).permissions(), fs::perms(0640));
}

}  // namespace
}  // namespace hostseal::testing
