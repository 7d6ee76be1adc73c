// hostseal-gui.exe as a user starts it: its options answered on the standard handles it was
// given, and the screenshot of the demonstration.
#include <gtest/gtest.h>

#include <string>

#include "hostseal/common/utf8.hpp"
#include "tests/support/file_bytes.hpp"
#include "tests/support/scratch_folder.hpp"
#include "tests/support/tool_process.hpp"
#include "tests/ui/gui_usage_cases.hpp"

namespace hostseal::testing {
namespace {

std::string Utf8(const std::filesystem::path& path) {
  return ToUtf8(path.u16string());
}

ToolResult RunGui(std::vector<std::string> arguments) {
  return RunTool(HOSTSEAL_GUI_PATH, ToolRun{std::move(arguments), "", {}});
}

TEST(GuiProgram, AnswersHelpVersionAndUsageErrorsOnItsStandardHandles) {
  const ToolResult version = RunGui({"--version"});
  EXPECT_EQ(version.status, 0);
  EXPECT_EQ(version.out, "hostseal-gui " HOSTSEAL_VERSION "\n");

  const ToolResult help = RunGui({"--help"});
  EXPECT_EQ(help.status, 0);
  EXPECT_EQ(help.out.rfind("Usage: hostseal-gui", 0), 0U) << help.out;
  EXPECT_NE(help.out.find("--screenshot <file>"), std::string::npos) << help.out;

  for (const GuiUsageCase& usage : GuiUsageCases()) {
    const ToolResult wrong = RunGui(usage.arguments);
    EXPECT_EQ(wrong.status, 2) << usage.arguments[0];
    EXPECT_EQ(wrong.err, usage.error);
  }
}

TEST(GuiProgram, WritesTheScreenshotOfItsDemonstrationAsAPng) {
  const ScratchFolder dir;
  const ToolResult shot = RunGui({"--screenshot", Utf8(dir / "窗口.png")});
  ASSERT_EQ(shot.status, 0) << shot.err;
  const std::string png = ReadFile(dir / "窗口.png");
  EXPECT_EQ(png.compare(0, 8, "\x89PNG\r\n\x1a\n"), 0);
  EXPECT_GT(png.size(), 1000U);

  // A file error as the tool shows one, control characters as their codes, and status 3.
  const ToolResult failed = RunGui({"--screenshot", Utf8(dir / "no\x1b[2J" / "shot.png")});
  EXPECT_EQ(failed.status, 3);
  const std::string head =
      "hostseal-gui: Bad file name or number: \"" + Utf8(dir / "noU+001B[2J" / "shot.png") + "\" (";
  EXPECT_EQ(failed.err.rfind(head, 0), 0U) << failed.err;
  EXPECT_EQ(failed.err.find('\n'), failed.err.size() - 1) << failed.err;
}

}  // namespace
}  // namespace hostseal::testing
