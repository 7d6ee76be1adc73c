// Form1Controller, the window's rules, against a view held in memory: each operation's status
// lines, the key check before the dialogs, which controls take input, and file jobs cancelled
// or closed from inside their progress. The toolkits' own tests check only their widgets.
#include "hostseal/ui/form1_controller.hpp"

#include <gtest/gtest.h>

#include <functional>
#include <set>
#include <string>
#include <tuple>
#include <utility>
#include <vector>

#include "tests/support/file_bytes.hpp"
#include "tests/support/recording_sink.hpp"
#include "tests/support/scoped_code_page.hpp"
#include "tests/support/scratch_folder.hpp"
#include "tests/ui/form1_support.hpp"
#include "tests/ui/identity_oracle.hpp"

namespace hostseal::testing {
namespace {

// The window's fields as strings; the dialogs hand out the queued names, then "" (cancelled).
class MemoryView final : public Form1View {
 public:
  RichTextBox& StatusBox() override { return box; }
  std::u16string InputText() const override { return input; }
  void SetInputText(const std::u16string& text) override { input = text; }
  std::u16string ResultText() const override { return result; }
  void SetResultText(const std::u16string& text) override { result = text; }
  KeyChoice::Kind KeyKind() const override { return kind; }
  std::u16string KeyText() const override { return key; }
  std::int32_t KeyBits() const override { return bits; }
  void ShowControls(const Form1Controls& shown) override { controls = shown; }
  void ShowProgress(int step) override { progress.push_back(step); }
  std::u16string AskOpenFileName(const std::u16string& caption) override {
    captions.push_back(caption);
    return TakeFirst(openNames);
  }
  std::u16string AskSaveFileName(const std::u16string& caption) override {
    captions.push_back(caption);
    return TakeFirst(saveNames);
  }
  // The first events served during a job run duringJob.
  bool ServeEvents() override {
    if (const auto action = std::exchange(duringJob, nullptr)) action();
    return !quit;
  }
  void CloseWindow() override { closed = true; }

  std::vector<ShownLine> Lines() const { return box.ColouredLines(); }

  MemoryBox box;
  std::u16string input, result, key;
  KeyChoice::Kind kind = KeyChoice::Kind::kBuiltIn;
  std::int32_t bits = 128;
  Form1Controls controls{.operations = false};  // until the controller shows them
  std::vector<int> progress;
  std::vector<std::u16string> openNames, saveNames, captions;
  std::function<void()> duringJob;
  bool quit = false;  // the program is asked to quit while the job runs
  bool closed = false;
};

std::u16string Name(const std::filesystem::path& path) {
  return path.u16string();
}

class Form1ControllerTest : public ::testing::Test {
 protected:
  void EncryptFile() { m_Controller.RunFileOperation(FileDirection::kEncrypt); }
  void DecryptFile() { m_Controller.RunFileOperation(FileDirection::kDecrypt); }

  RecordingSink m_Sink;
  MemoryView m_View;
  Form1Controller m_Controller{m_View, m_Sink, InjectedQueries()};
  ScratchFolder m_Dir;
};

// The text round trip is the demonstration's, below.
TEST_F(Form1ControllerTest, DecryptOfTextWithoutHexDigitsIsRedEmptiesTheResultAndWarns) {
  m_View.input = u"xyz zyx";
  m_View.result = u"an earlier result";
  m_Controller.DecryptText();
  ASSERT_EQ(m_View.Lines().size(), 1U);
  EXPECT_EQ(m_View.Lines()[0].color, kRed);
  EXPECT_EQ(m_Sink.messages, std::vector<std::u16string>{u"Text not Hex data"});
  EXPECT_TRUE(m_View.result.empty());
}

TEST_F(Form1ControllerTest, OnlyAPassPhraseTakesBitsAndIsHiddenAndAJobLeavesOnlyCancel) {
  using Kind = KeyChoice::Kind;
  WriteFile(m_Dir / "plain.bin", "plain");
  m_View.key = u"00112233445566778899aabbccddeeff";  // a hex key and a pass phrase alike
  for (const auto& [kind, keyText, keyBits] :
       {std::tuple{Kind::kBuiltIn, false, false}, std::tuple{Kind::kHexKey, true, false},
        std::tuple{Kind::kPassPhrase, true, true}}) {
    m_View.kind = kind;
    m_Controller.UpdateKeyInputs();
    const bool hidden = kind == Kind::kPassPhrase;
    const Form1Controls idle{true, keyText, keyBits, hidden, false};
    EXPECT_EQ(m_View.controls, idle);
    m_View.duringJob = [&] {
      m_Controller.UpdateKeyInputs();  // the kind cannot bring the key back during a job
      EXPECT_EQ(m_View.controls, (Form1Controls{false, false, false, hidden, true}));
    };
    m_View.openNames = {Name(m_Dir / "plain.bin")};
    m_View.saveNames = {Name(m_Dir / "sealed.bin")};
    EncryptFile();
    EXPECT_FALSE(m_View.duringJob);  // it ran
    EXPECT_EQ(m_View.controls, idle);
  }
}

TEST_F(Form1ControllerTest, FilesGoThroughEncryptAndDecryptUnderAPassPhrase) {
  const auto plain = m_Dir / "plain.bin";
  const auto sealed = m_Dir / "sealed.bin";
  const auto back = m_Dir / "back.bin";
  std::string content(4'000'017, '\0');
  for (std::size_t i = 0; i < content.size(); ++i) content[i] = static_cast<char>(i * 7 % 251);
  WriteFile(plain, content);

  const ScopedCodePage chinese(936);  // which holds the pass phrase exactly
  m_View.kind = KeyChoice::Kind::kPassPhrase;
  m_View.key = u"密码 phrase";
  m_View.bits = 256;
  m_View.openNames = {Name(plain), Name(sealed)};
  m_View.saveNames = {Name(sealed), Name(back)};
  EncryptFile();
  EXPECT_EQ(
      m_View.Lines(),
      (std::vector<ShownLine>{{u"Encrypt file: " + Name(plain) + u" -> " + Name(sealed), kGreen}}));
  EXPECT_EQ(ReadFile(sealed).size(), 4'000'032U);
  EXPECT_EQ(m_View.progress.front(), 0);
  EXPECT_EQ(m_View.progress.back(), form1_design::kProgressSteps);

  DecryptFile();
  EXPECT_EQ(m_View.Lines().back(),
            (ShownLine{u"Decrypt file: " + Name(sealed) + u" -> " + Name(back), kGreen}));
  EXPECT_TRUE(ReadFile(back) == content);
  EXPECT_TRUE(m_Sink.messages.empty());
  EXPECT_EQ(m_View.captions,
            (std::vector<std::u16string>{u"Plain file to encrypt", u"Cipher-text file to write",
                                         u"Cipher-text file to decrypt", u"Plain file to write"}));

  // Under another pass phrase the length field is out of range: red, and the cipher's warning.
  m_View.key = u"another phrase";
  m_View.openNames = {Name(sealed)};
  m_View.saveNames = {Name(back)};
  DecryptFile();
  ASSERT_EQ(m_View.Lines().size(), 3U);
  EXPECT_EQ(m_View.Lines()[2].color, kRed);
  EXPECT_TRUE(m_View.Lines()[2].text.ends_with(u"The target is kept as it was"));
  EXPECT_EQ(m_Sink.messages.size(), 1U);
  EXPECT_TRUE(ReadFile(back) == content);

  // A pass phrase that 1252 holds only by best fit makes a key of this system only: a note.
  const ScopedCodePage western(1252);
  m_View.key = u"pass \u0101";
  m_View.openNames = {Name(m_Dir / "missing.bin")};
  m_View.saveNames = {Name(m_Dir / "out.bin")};
  DecryptFile();
  ASSERT_EQ(m_View.Lines().size(), 5U);
  EXPECT_EQ(m_View.Lines()[3].text.rfind(u"Decrypt file: note: code page 1252 cannot hold", 0), 0U)
      << ToUtf8(m_View.Lines()[3].text);
}

TEST_F(Form1ControllerTest, AMissingFileABadNameOrABadKeyIsARedLineAndNothingIsWritten) {
  m_View.openNames = {Name(m_Dir / "missing.bin")};
  m_View.saveNames = {Name(m_Dir / "out.bin")};
  EncryptFile();
  ASSERT_EQ(m_View.Lines().size(), 1U);
  EXPECT_EQ(m_View.Lines()[0].color, kRed);
  EXPECT_EQ(m_View.Lines()[0].text.rfind(u"Encrypt file: ", 0), 0U);

  // A name with an unpaired surrogate is a bad file name (52), not the library's message.
  m_View.openNames = {Name(m_Dir / "in.bin") + u'\xD800'};
  m_View.saveNames = {Name(m_Dir / "out.bin")};
  EncryptFile();
  ASSERT_EQ(m_View.Lines().size(), 2U);
  EXPECT_NE(m_View.Lines()[1].text.find(u"Bad file name or number"), std::u16string::npos);

  // Cancelled dialogs end the operation without a line.
  m_View.captions.clear();
  EncryptFile();
  m_View.openNames = {Name(m_Dir / "in.bin")};
  EncryptFile();
  EXPECT_EQ(m_View.captions.size(), 3U);
  EXPECT_EQ(m_View.Lines().size(), 2U);

  // A key that cannot be used is reported before any file is asked for.
  m_View.kind = KeyChoice::Kind::kHexKey;
  m_View.key = u"00112233 not hex";
  m_View.captions.clear();
  EncryptFile();
  ASSERT_EQ(m_View.Lines().size(), 3U);
  EXPECT_EQ(m_View.Lines()[2].color, kRed);
  EXPECT_TRUE(m_View.captions.empty());
  EXPECT_TRUE(m_Dir.Names().empty());
}

TEST_F(Form1ControllerTest, CancelCloseOrQuitStopsAFileJobAndNothingElseRunsMeanwhile) {
  const auto plain = m_Dir / "plain.bin";
  WriteFile(plain, std::string(4'000'017, 'p'));  // two chunks: a report comes before the end
  const auto sealed = m_Dir / "sealed.bin";
  WriteFile(sealed, "former content");
  const std::u16string cancelled = u": cancelled; the target is as it was";
  m_View.duringJob = [&] {
    m_Controller.ReportIdentity();  // refused while the job runs: no line
    m_Controller.EncryptText();
    m_Controller.RunFileOperation(FileDirection::kDecrypt);
    m_Controller.CancelFileJob();
  };
  m_View.input = u"text";
  m_View.openNames = {Name(plain)};
  m_View.saveNames = {Name(sealed)};
  EncryptFile();
  EXPECT_EQ(m_View.Lines(),
            (std::vector<ShownLine>{
                {u"Encrypt file: " + Name(plain) + u" -> " + Name(sealed) + cancelled, kRed}}));
  EXPECT_EQ(ReadFile(sealed), "former content");
  EXPECT_EQ(m_View.result, u"");
  EXPECT_LT(m_View.progress.back(), form1_design::kProgressSteps);
  EXPECT_FALSE(m_View.closed);

  // Closing the window cancels the job too, and the view closes once it has stopped; a quit
  // of the program cancels it and leaves the window to the program.
  EXPECT_TRUE(m_Controller.RequestClose());
  for (const bool quit : {false, true}) {
    m_View.duringJob = [&] { EXPECT_TRUE(quit || !m_Controller.RequestClose()); };
    m_View.quit = quit;
    m_View.openNames = {Name(plain)};
    m_View.saveNames = {Name(m_Dir / "new.bin")};
    m_View.closed = false;
    EncryptFile();
    EXPECT_EQ(m_View.closed, !quit);
    EXPECT_TRUE(m_View.Lines().back().text.ends_with(cancelled));
    EXPECT_EQ(m_Dir.Names(), (std::set<std::string>{"plain.bin", "sealed.bin"}));
  }
}

// Under a code page that cannot hold the text (1252) the round trip loses its Chinese, and a
// note in the tool's words says so before the cipher text.
TEST_F(Form1ControllerTest, TheDemonstrationShowsTheInjectedIdentityARedLineAndARoundTrip) {
  for (const auto& [codePage, back] :
       {std::pair{936, u"主机标识 hostseal"}, std::pair{1252, u"???? hostseal"}}) {
    SCOPED_TRACE(codePage);
    m_View.box = {};
    const ScopedCodePage shown(codePage);
    m_Controller.RunDemonstration();
    std::vector<ShownLine> expected = InjectedIdentityLines(SealWithOracle(
        ComposeIdentityLine(u"box1", u"10.0.0.5", u"00-C-29-A-B-1", u"BFEBFBFF000906EA")));
    expected.push_back({u"Encrypt text: no text to encrypt", kRed});
    if (codePage == 1252) {
      expected.push_back(
          {u"Encrypt text: note: code page 1252 cannot hold every character of the "
           u"text exactly; a similar letter (Windows' best fit) or '?' takes their "
           u"place, on Windows and Linux alike",
           kRed});  // a note keeps the colour of the line before it
    }
    expected.push_back({u"Encrypt text: " + SealWithOracle(u"主机标识 hostseal"), kGreen});
    expected.push_back({u"Decrypt text: " + std::u16string(back), kGreen});
    ASSERT_EQ(m_View.Lines(), expected);
    EXPECT_EQ(m_View.input, expected[expected.size() - 2].text.substr(14));  // the result
    EXPECT_EQ(m_View.result, back);
    EXPECT_TRUE(m_Sink.messages.empty());
  }
}

}  // namespace
}  // namespace hostseal::testing
