// The cases of Form1 that every toolkit shares, written once over a driver per toolkit (Qt's in
// form1_test.cpp, Windows' in win32/form1_test.cpp): the status log at its saved place in its
// frame, the controls read for the controller (whose rules form1_controller_test.cpp checks)
// and a file job stopped from inside the window's event loop, and the demonstration with its
// screenshot.
//
// A driver is made from a sink and a Form1Script, and shows the window. It offers:
//   Click(Widget), Enabled(Widget), ChooseKeyKind(KeyChoice::Kind), ChooseKeyBits(bits),
//   SetKeyText(text), KeyHidden(), Progress(), Lines(), Close() (the user closes the window),
//   IsOpen(), Title(), FrameCaption(), LogPlace() (in its frame, in pixels), PixelsX(twips),
//   PixelsY(twips), LogFont(), LogReadOnly(), LogScrollsVertically(), RunDemonstration(),
//   SaveScreenshot(name) and WindowPixels() (the window's width and height).
#pragma once

#include <gtest/gtest.h>

#include <array>
#include <cstdint>
#include <functional>
#include <ostream>
#include <set>
#include <string>
#include <utility>
#include <vector>

#include "hostseal/common/raised_error.hpp"
#include "hostseal/operations/key_choice.hpp"
#include "tests/support/file_bytes.hpp"
#include "tests/support/recording_sink.hpp"
#include "tests/support/scoped_code_page.hpp"
#include "tests/support/scratch_folder.hpp"
#include "tests/ui/form1_support.hpp"

namespace hostseal::testing {

// The widgets a case reads or clicks.
enum class Widget { kInputTxt, kKeyTxt, kKeyBitsCbo, kEncryptFileCmd, kDecryptFileCmd, kCancelCmd };

// What the window's file dialogs hand out: the names a test queued, then "" (cancelled). The
// save dialog, the last step before a job, has duringJob run inside the job's first progress
// report, served by the window's event loop.
struct Form1Script {
  std::vector<std::u16string> openNames, saveNames;
  std::function<void()> duringJob;
};

// A font as a window shows it: its face, its size in twips and whether it is plain (not bold,
// italic, underlined or struck out).
struct TextFont {
  std::u16string face;
  int twips = 0;
  bool plain = false;
  bool operator==(const TextFont&) const = default;
};

inline void PrintTo(const TextFont& font, std::ostream* out) {
  *out << ToUtf8(font.face) << ", " << font.twips << " twips" << (font.plain ? "" : ", styled");
}

// A PNG's width and height from its IHDR chunk; {0, 0} when it is no PNG.
inline std::pair<int, int> PngSize(const std::string& png) {
  if (png.size() < 24 || png.compare(0, 8, "\x89PNG\r\n\x1a\n") != 0) return {0, 0};
  const auto big = [&png](std::size_t at) {
    std::uint32_t value = 0;
    for (std::size_t i = at; i < at + 4; ++i)
      value = value << 8 | static_cast<unsigned char>(png[i]);
    return static_cast<int>(value);
  };
  return {big(16), big(20)};
}

template <class Driver>
class Form1Cases : public ::testing::Test {
 protected:
  RecordingSink m_Sink;
  Form1Script m_Script;
  Driver m_Window{m_Sink, m_Script};
};

TYPED_TEST_SUITE_P(Form1Cases);

TYPED_TEST_P(Form1Cases, TheStatusLogSitsInItsFrameAtItsSavedPlaceInSongTi) {
  auto& window = this->m_Window;
  EXPECT_EQ(window.Title(), u"hostseal");
  EXPECT_EQ(window.FrameCaption(), u"状态栏");
  EXPECT_EQ(window.LogPlace(), (std::array{window.PixelsX(120), window.PixelsY(240),
                                           window.PixelsX(5415), window.PixelsY(3735)}));
  EXPECT_TRUE(window.LogReadOnly());
  EXPECT_TRUE(window.LogScrollsVertically());
  EXPECT_EQ(window.LogFont(), (TextFont{u"宋体", 240, true}));  // 12 points
}

// The key widgets are read for the controller, the widgets it names are the ones disabled
// during a job, and the job's progress serves the window's event loop: Cancel clicked there
// stops it, and a close there closes the window once it has stopped.
TYPED_TEST_P(Form1Cases, TheWidgetsReachTheControllerAndAJobStopsFromTheEventLoop) {
  auto& window = this->m_Window;
  Form1Script& script = this->m_Script;
  const ScratchFolder dir;
  const auto name = [&dir](const char* file) { return (dir / file).u16string(); };
  WriteFile(dir / "plain.bin", std::string(4'000'017, 'p'));  // two chunks: a report comes first
  EXPECT_FALSE(window.Enabled(Widget::kKeyTxt));
  window.ChooseKeyKind(KeyChoice::Kind::kPassPhrase);
  EXPECT_TRUE(window.Enabled(Widget::kKeyTxt) && window.Enabled(Widget::kKeyBitsCbo));
  EXPECT_TRUE(window.KeyHidden());
  window.SetKeyText(u"phrase");
  script.openNames = {name("plain.bin"), name("sealed.bin"), name("sealed.bin"), name("plain.bin")};
  script.saveNames = {name("sealed.bin"), name("a.bin"), name("b.bin"), name("sealed.bin")};
  for (const int bits : {256, 128, 256}) {  // the second has the wrong key size
    window.ChooseKeyBits(bits);
    window.Click(script.openNames.size() == 4 ? Widget::kEncryptFileCmd : Widget::kDecryptFileCmd);
  }
  EXPECT_EQ(window.Progress(), 1000);
  bool onlyCancel = false;
  script.duringJob = [&] {
    onlyCancel = !window.Enabled(Widget::kDecryptFileCmd) && !window.Enabled(Widget::kInputTxt) &&
                 !window.Enabled(Widget::kKeyTxt) && window.Enabled(Widget::kCancelCmd);
    window.Click(Widget::kCancelCmd);
  };
  window.Click(Widget::kEncryptFileCmd);
  EXPECT_TRUE(onlyCancel);
  EXPECT_TRUE(window.Enabled(Widget::kKeyTxt) && !window.Enabled(Widget::kCancelCmd));
  std::vector<OleColor> colours;
  for (const ShownLine& line : window.Lines()) colours.push_back(line.color);
  EXPECT_EQ(colours, (std::vector<OleColor>{kGreen, kRed, kGreen, kRed}));
  EXPECT_EQ(ReadFile(dir / "b.bin"), std::string(4'000'017, 'p'));

  script.duringJob = [&] { window.Close(); };
  script.openNames = {name("plain.bin")};
  script.saveNames = {name("new.bin")};
  window.Click(Widget::kEncryptFileCmd);
  EXPECT_EQ(dir.Names(), (std::set<std::string>{"a.bin", "b.bin", "plain.bin", "sealed.bin"}));
  EXPECT_FALSE(window.IsOpen());
}

// The demonstration's lines in the window's log (the controller's test checks them under every
// code page). Then the window as a PNG that replaces an older file, and the screenshot's error
// for a missing folder.
TYPED_TEST_P(Form1Cases, TheDemonstrationFillsTheLogAndTheScreenshotIsAPngOfTheWindow) {
  auto& window = this->m_Window;
  {
    const ScopedCodePage utf8(65001);
    window.RunDemonstration();
  }
  ASSERT_EQ(window.Lines().size(), 8U);  // five identity lines, a red one, the round trip
  EXPECT_EQ(window.Lines()[7], (ShownLine{u"Decrypt text: 主机标识 hostseal", kGreen}));

  const ScratchFolder dir;
  WriteFile(dir / "shot.png", "an older picture");
  window.SaveScreenshot((dir / "shot.png").u16string());
  EXPECT_EQ(PngSize(ReadFile(dir / "shot.png")), window.WindowPixels());
  try {
    window.SaveScreenshot((dir / "no" / "such" / "shot.png").u16string());
    ADD_FAILURE() << "no error for a missing folder";
  } catch (const RaisedError& error) {
    EXPECT_EQ(error.Number(), 76) << error.Description();
  }
  EXPECT_EQ(dir.Names(), std::set<std::string>{"shot.png"});
}

REGISTER_TYPED_TEST_SUITE_P(Form1Cases, TheStatusLogSitsInItsFrameAtItsSavedPlaceInSongTi,
                            TheWidgetsReachTheControllerAndAJobStopsFromTheEventLoop,
                            TheDemonstrationFillsTheLogAndTheScreenshotIsAPngOfTheWindow);

}  // namespace hostseal::testing
