// MessageSink: the modal message box with an OK button only and the application's title.
//
// Operations show data problems ("ciphertext size not a multiple of block size") through a
// sink and go on once Show returns, that is once the user has acknowledged the message. The
// command line writes "hostseal: TEXT" to standard error, the window shows a Qt message box,
// tests record what was shown.
#pragma once

#include <string_view>

namespace hostseal {

class MessageSink {
 public:
  virtual ~MessageSink() = default;
  virtual void Show(std::u16string_view text) = 0;  // returns when acknowledged
};

// Writes "hostseal: TEXT" and a line feed to standard error, the text as UTF-8.
class StandardErrorSink final : public MessageSink {
 public:
  void Show(std::u16string_view text) override;
};

// The process-wide default sink: a StandardErrorSink until SetDefaultMessageSink replaces it.
MessageSink& DefaultMessageSink();

// Replaces the process-wide default sink; nullptr restores the standard-error sink. The sink
// must outlive its use. Returns the sink that was in force before.
MessageSink* SetDefaultMessageSink(MessageSink* sink);

// Makes a sink the process-wide default for as long as the scope lives, then restores the
// one before it.
class DefaultMessageSinkScope {
 public:
  explicit DefaultMessageSinkScope(MessageSink& sink) : m_Previous(SetDefaultMessageSink(&sink)) {}
  ~DefaultMessageSinkScope() { SetDefaultMessageSink(m_Previous); }
  DefaultMessageSinkScope(const DefaultMessageSinkScope&) = delete;
  DefaultMessageSinkScope& operator=(const DefaultMessageSinkScope&) = delete;

 private:
  MessageSink* m_Previous;
};

}  // namespace hostseal
