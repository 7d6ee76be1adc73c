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
#include "hostseal/ui/form1_view.hpp"

namespace hostseal {

class Form1Controller {
 public:
  static constexpr char16_t kTitle[] = u"hostseal";
  static constexpr char16_t kStatusCaption[] = u"状态栏";

  // The status log's place in its frame and its size, in twips; the margin on the right and at
  // the bottom is the one on the left.
  static constexpr int kStatusLeft = 120;
  static constexpr int kStatusTop = 240;
  static constexpr int kStatusWidth = 5415;
  static constexpr int kStatusHeight = 3735;
  static constexpr int kLogFontTwips = 240;  // 12 points

  // The log is dark, as terminals are, so that both its green and its red lines read well: on
  // black, green 0x00FF00 has a contrast of 15.3:1 and red 0x0000FF one of 5.25:1. Lines of
  // other kinds before the first coloured one take the light grey (13.6:1).
  static constexpr OleColor kLogBackground = 0x000000;
  static constexpr OleColor kLogText = 0xD0D0D0;

  static constexpr int kProgressSteps = 1000;

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
