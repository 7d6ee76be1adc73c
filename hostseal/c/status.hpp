// The C interface's statuses: the calling thread's last error (a number and a UTF-8
// description), the mapping of every exception to a status at the boundary, and the message
// sink through which the cipher's messages become that description instead of being printed.
//
// Every exported function runs its body through CallGuarded, which clears the last error,
// and turns whatever escapes into a status: a RaisedError into its number and description,
// std::bad_alloc into 7 "Out of memory", anything else into HOSTSEAL_INTERNAL_ERROR. No
// exception crosses into the caller's language.
#pragma once

#include <cstdint>
#include <exception>
#include <new>
#include <string>
#include <string_view>
#include <utility>

#include "hostseal/common/message_sink.hpp"
#include "hostseal/common/raised_error.hpp"
#include "hostseal/hostseal.h"

namespace hostseal::c_interface {

// Sets the calling thread's last error; an empty description takes a generic one.
void SetLastError(hostseal_status number, std::string_view description) noexcept;
void ClearLastError() noexcept;
hostseal_status LastErrorNumber() noexcept;
const std::string& LastErrorText() noexcept;

// Fails with a status and a description: the status is returned and becomes the last error.
hostseal_status Fail(hostseal_status number, std::string_view description) noexcept;

// The description of the calling thread's last message shown through a RecordingSink since
// the last call began; empty when none was shown.
const std::string& LastShownMessage() noexcept;

// Records what the cipher shows into the calling thread's state instead of showing it, so
// that a status can carry it as its description. Holds nothing itself: one sink serves every
// handle and thread.
class RecordingSink final : public MessageSink {
 public:
  void Show(std::u16string_view text) override;
};
RecordingSink& TheRecordingSink() noexcept;

// Thrown by the interface's own callbacks adapters to stop an operation with a status of the
// caller's choosing (a cancel from a progress callback, a stream callback's number).
class StopRequest : public std::exception {
 public:
  StopRequest(hostseal_status status, std::string description)
      : m_Status(status), m_Description(std::move(description)) {}
  hostseal_status Status() const noexcept { return m_Status; }
  const std::string& Description() const noexcept { return m_Description; }
  const char* what() const noexcept override { return m_Description.c_str(); }

 private:
  hostseal_status m_Status;
  std::string m_Description;
};

// The status of an exception in flight (call from a catch block only).
hostseal_status StatusOfCurrentException() noexcept;

// Runs body (returning a hostseal_status) with the last error cleared first. A non-zero
// status that the body returns without setting the last error takes the message the cipher
// showed meanwhile, or a generic description.
template <typename Body>
hostseal_status CallGuarded(Body&& body) noexcept {
  ClearLastError();
  try {
    const hostseal_status status = body();
    if (status == HOSTSEAL_OK) {
      ClearLastError();
    } else if (LastErrorNumber() != status) {
      SetLastError(status, LastShownMessage());
    }
    return status;
  } catch (...) {
    return StatusOfCurrentException();
  }
}

// Checks a pointer argument.
#define HOSTSEAL_REQUIRE(pointer)                                                                 \
  do {                                                                                            \
    if ((pointer) == nullptr) {                                                                   \
      return ::hostseal::c_interface::Fail(                                                       \
          HOSTSEAL_INVALID_ARGUMENT, "Invalid procedure call or argument: " #pointer " is NULL"); \
    }                                                                                             \
  } while (false)

}  // namespace hostseal::c_interface
