// Form1Controller: the window's operations, its enabled controls and its file jobs.
#include "hostseal/ui/form1_controller.hpp"

#include <algorithm>
#include <utility>

#include "hostseal/operations/text_operation.hpp"

namespace hostseal {

Form1Controller::Form1Controller(Form1View& view, MessageSink& sink, HostQueries queries)
    : m_View(view), m_Sink(sink), m_Queries(std::move(queries)) {}

Form1Controller::~Form1Controller() = default;

cRijndael& Form1Controller::Rijndael() {
  if (!m_Rijndael) m_Rijndael = std::make_unique<cRijndael>(m_Sink);
  return *m_Rijndael;
}

// While a file job runs only Cancel and the log take input: the job's key and cipher are the
// window's, and no other operation may change them under it. A hex key's length gives its
// bits, and the built-in pass phrase is always 128 bits: only a pass phrase takes bits.
void Form1Controller::ShowControls(bool operations) {
  const KeyChoice::Kind kind = m_View.KeyKind();
  m_View.ShowControls({.operations = operations,
                       .keyText = operations && kind != KeyChoice::Kind::kBuiltIn,
                       .keyBits = operations && kind == KeyChoice::Kind::kPassPhrase,
                       .keyHidden = kind == KeyChoice::Kind::kPassPhrase,
                       .cancel = !operations});
}

void Form1Controller::UpdateKeyInputs() {
  if (!m_JobRunning) ShowControls(true);
}

KeyChoice Form1Controller::CurrentKeyChoice() const {
  KeyChoice choice;
  choice.kind = m_View.KeyKind();
  if (choice.kind != KeyChoice::Kind::kBuiltIn) choice.text = m_View.KeyText();
  if (choice.kind == KeyChoice::Kind::kPassPhrase) choice.bits = m_View.KeyBits();
  return choice;
}

void Form1Controller::ReportIdentity() {
  if (m_JobRunning) return;
  IdentityOperation(m_View.StatusBox(), Rijndael(), m_Queries);
}

void Form1Controller::EncryptText() {
  if (m_JobRunning) return;
  m_View.SetResultText(EncryptTextOperation(m_View.StatusBox(), Rijndael(), m_View.InputText()));
}

void Form1Controller::DecryptText() {
  if (m_JobRunning) return;
  m_View.SetResultText(DecryptTextOperation(m_View.StatusBox(), Rijndael(), m_View.InputText()));
}

void Form1Controller::UseResultAsInput() {
  if (m_JobRunning) return;
  m_View.SetInputText(m_View.ResultText());
}

void Form1Controller::CancelFileJob() {
  if (m_JobRunning) m_CancelRequested = true;
}

bool Form1Controller::RequestClose() {
  if (!m_JobRunning) return true;
  m_CancelRequested = true;
  m_CloseAfterJob = true;
  return false;
}

void Form1Controller::RunFileOperation(FileDirection direction) {
  if (m_JobRunning) return;
  const bool encrypt = direction == FileDirection::kEncrypt;
  m_View.ShowProgress(0);
  // A key that cannot be used is reported before the user picks any file.
  if (!ApplyFileKey(m_View.StatusBox(), Rijndael(), CurrentKeyChoice(), direction)) return;

  const std::u16string input =
      m_View.AskOpenFileName(encrypt ? u"Plain file to encrypt" : u"Cipher-text file to decrypt");
  if (input.empty()) return;
  const std::u16string output =
      m_View.AskSaveFileName(encrypt ? u"Cipher-text file to write" : u"Plain file to write");
  if (output.empty()) return;

  // The job runs on this thread, where the cipher's message boxes belong; its progress reports
  // serve the window's events, so that it repaints and Cancel can be clicked.
  m_JobRunning = true;
  m_CancelRequested = false;
  ShowControls(false);
  const FileJobProgress progress = [this](std::uint64_t done, std::uint64_t total) {
    const std::uint64_t step =
        total == 0 ? form1_design::kProgressSteps : done * form1_design::kProgressSteps / total;
    m_View.ShowProgress(
        static_cast<int>(std::min<std::uint64_t>(step, form1_design::kProgressSteps)));
    if (!m_View.ServeEvents()) m_CancelRequested = true;
    return !m_CancelRequested;
  };
  {
    // However the job ends, the window takes input again.
    struct JobEnd {
      Form1Controller& controller;
      ~JobEnd() {
        controller.m_JobRunning = false;
        controller.ShowControls(true);
      }
    } const jobEnd{*this};
    if (RunFileJob(m_View.StatusBox(), Rijndael(), direction, input, output, progress)) {
      m_View.ShowProgress(form1_design::kProgressSteps);
    }
  }
  if (m_CloseAfterJob) {
    m_CloseAfterJob = false;
    m_View.CloseWindow();
  }
}

void Form1Controller::RunDemonstration() {
  ReportIdentity();
  m_View.SetInputText(u"");
  EncryptText();  // a red line: there is no text to encrypt
  m_View.SetInputText(u"主机标识 hostseal");
  EncryptText();
  UseResultAsInput();
  DecryptText();
}

}  // namespace hostseal
