#include "hostseal/c/status.hpp"

#include <cstring>
#include <filesystem>
#include <string>

#include "hostseal/c/output_buffer.hpp"
#include "hostseal/common/utf8.hpp"

namespace hostseal::c_interface {

namespace {

struct ThreadState {
  hostseal_status number = HOSTSEAL_OK;
  std::string text;
  std::string shown;  // the last message a RecordingSink recorded during this call
};

ThreadState& State() noexcept {
  thread_local ThreadState state;
  return state;
}

// A description for a status that came without one.
const char* GenericDescription(hostseal_status number) noexcept {
  switch (number) {
    case HOSTSEAL_OUT_OF_MEMORY:
      return "Out of memory";
    case HOSTSEAL_SHORT_BUFFER:
      return "The output buffer is too small";
    case HOSTSEAL_NOT_FOUND:
      return "Not found";
    case HOSTSEAL_CANCELLED:
      return "Cancelled by the progress callback";
    case HOSTSEAL_INTERNAL_ERROR:
      return "Internal error";
    default:
      return "Failed";
  }
}

}  // namespace

void SetLastError(hostseal_status number, std::string_view description) noexcept {
  ThreadState& state = State();
  state.number = number;
  try {
    state.text.assign(description.empty() ? std::string_view(GenericDescription(number))
                                          : description);
  } catch (...) {
    // Without memory for the text, the number still tells what happened.
    state.text.clear();
  }
}

void ClearLastError() noexcept {
  ThreadState& state = State();
  state.number = HOSTSEAL_OK;
  state.text.clear();
  state.shown.clear();
}

hostseal_status LastErrorNumber() noexcept {
  return State().number;
}

const std::string& LastErrorText() noexcept {
  return State().text;
}

const std::string& LastShownMessage() noexcept {
  return State().shown;
}

hostseal_status Fail(hostseal_status number, std::string_view description) noexcept {
  SetLastError(number, description);
  return number;
}

void RecordingSink::Show(std::u16string_view text) {
  State().shown = ToUtf8(text);
}

RecordingSink& TheRecordingSink() noexcept {
  static RecordingSink sink;
  return sink;
}

hostseal_status StatusOfCurrentException() noexcept {
  try {
    throw;
  } catch (const RaisedError& e) {
    return Fail(e.Number(), e.Description());
  } catch (const StopRequest& e) {
    return Fail(e.Status(), e.Description());
  } catch (const std::bad_alloc&) {
    return Fail(HOSTSEAL_OUT_OF_MEMORY, "Out of memory");
  } catch (...) {
    // Nothing the library raises on purpose: the description stays generic, since the text
    // of a foreign exception could repeat anything, a secret included.
    return Fail(HOSTSEAL_INTERNAL_ERROR, "Internal error");
  }
}

}  // namespace hostseal::c_interface

using namespace hostseal::c_interface;

extern "C" {

HOSTSEAL_API hostseal_status HOSTSEAL_CALL hostseal_last_error(void) {
  return LastErrorNumber();
}

// Reading the last error leaves it as it is, whatever this call returns.
HOSTSEAL_API hostseal_status HOSTSEAL_CALL hostseal_last_error_text(char* out, size_t* out_len) {
  if (out_len == nullptr) return HOSTSEAL_INVALID_ARGUMENT;
  return CopyText(LastErrorText(), out, *out_len);
}

HOSTSEAL_API hostseal_status HOSTSEAL_CALL hostseal_version(char* out, size_t* out_len) {
  return CallGuarded([&]() -> hostseal_status {
    HOSTSEAL_REQUIRE(out_len);
    return PutText(HOSTSEAL_VERSION_TEXT, out, out_len);
  });
}

}  // extern "C"
