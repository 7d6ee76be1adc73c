// Form1Controller: the rules of hostseal's window, once for every toolkit. It runs the
// operations behind the buttons on the toolkit-free operations (host identity, text, file),
// decides which controls take input, checks the key before any file dialog, runs one file job
// at a time with Cancel and close-during-job, and plays the demonstration. The toolkit's Form1
// creates and lays out its widgets, forwards their events here and is the Form1View.
#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "hostseal/cipher/rijndael.hpp"
#include "hostseal/common/message_sink.hpp"
#include "hostseal/log/rich_text_box.hpp"
#include "hostseal/operations/file_operation.hpp"
#include "hostseal/operations/identity_operation.hpp"
#include "hostseal/ui/form1_design.hpp"
#include "hostseal/ui/form1_view.hpp"

namespace hostseal {

class Form1Controller {
 public:
  // Messages of the cipher go to sink; view and sink must outlive the controller.
  Form1Controller(Form1View& view, MessageSink& sink, HostQueries queries);
  ~Form1Controller();

  Form1Controller(const Form1Controller&) = delete;
  Form1Controller& operator=(const Form1Controller&) = delete;

  // The operations behind the buttons; none starts while a file job runs.
  void ReportIdentity();
  void EncryptText();
  void DecryptText();
  void UseResultAsInput();
  void RunFileOperation(FileDirection direction);
  // Asks the running file job to stop at its next chunk; its target keeps its former content.
  void CancelFileJob();
  // The key kind changed: the key text and its bits follow it.
  void UpdateKeyInputs();
  // Whether the window may close now. While a file job runs it may not: the job is cancelled
  // and the view closes once it has stopped.
  bool RequestClose();

  // A short scripted tour: host identity, an encryption without text (a red line), then a
  // text encrypted and decrypted again.
  void RunDemonstration();

 private:
  void ShowControls(bool operations);
  KeyChoice CurrentKeyChoice() const;
  cRijndael& Rijndael();

  Form1View& m_View;
  MessageSink& m_Sink;
  HostQueries m_Queries;
  std::unique_ptr<cRijndael> m_Rijndael;  // created when first used

  bool m_JobRunning = false;       // a file job is running; events are served from its progress
  bool m_CancelRequested = false;  // the running job stops at its next progress report
  bool m_CloseAfterJob = false;    // the window was closed while the job ran
};

}  // namespace hostseal
