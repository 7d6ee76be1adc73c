// The cipher handle's files and streams: cRijndael's file and stream framings with the C
// callbacks adapted to the library's progress functions and byte streams. A callback that asks
// to stop raises a StopRequest inside the operation, which abandons it (a file's target keeps
// its former content) and becomes the call's status.
#include <algorithm>
#include <cstdint>
#include <filesystem>
#include <string>

#include "hostseal/c/cipher_handle.hpp"
#include "hostseal/c/status.hpp"
#include "hostseal/c/utf8_input.hpp"
#include "hostseal/common/raised_error.hpp"
#include "hostseal/fs/byte_stream.hpp"
#include "hostseal/fs/file_name.hpp"

namespace hostseal::c_interface {

namespace {

StopRequest Cancelled() {
  return {HOSTSEAL_CANCELLED, "Cancelled by the progress callback"};
}

// cRijndael's file progress for a C callback. The library reports done == total once more
// when the output is in place; a stop asked then comes too late to take anything back, so it
// is not a cancel, and that report is not repeated to the caller when the last chunk's was
// already the end. A chunk's count may pass the total: it is given as the total.
class FileProgressRelay {
 public:
  FileProgressRelay(hostseal_progress_fn progress, void* context)
      : m_Progress(progress), m_Context(context) {}

  void operator()(std::uint64_t done, std::uint64_t total) {
    const bool end = done >= total;
    if (end && m_EndReported) return;
    m_EndReported = end;
    const int stop = m_Progress(m_Context, std::min(done, total), total);
    if (stop != 0 && done != total) throw Cancelled();
  }

 private:
  hostseal_progress_fn m_Progress;
  void* m_Context;
  bool m_EndReported = false;
};

cRijndael::FileProgress FileProgressOf(hostseal_progress_fn progress, void* context) {
  if (progress == nullptr) return {};
  return FileProgressRelay(progress, context);
}

cRijndael::StreamProgress StreamProgressOf(hostseal_progress_fn progress, void* context) {
  if (progress == nullptr) return {};
  return [progress, context](std::uint64_t done) {
    if (progress(context, done, 0) != 0) throw Cancelled();
  };
}

StopRequest StoppedBy(const char* callback, std::int32_t status) {
  return {status, std::string("The ") + callback + " callback stopped the stream with status " +
                      std::to_string(status)};
}

class CallbackSource final : public ByteSource {
 public:
  CallbackSource(hostseal_read_fn read, void* context) : m_Read(read), m_Context(context) {}

  std::size_t ReadSome(Byte* buffer, std::size_t n) override {
    std::size_t got = 0;
    if (const std::int32_t status = m_Read(m_Context, buffer, n, &got); status != 0) {
      throw StoppedBy("read", status);
    }
    if (got > n) {
      throw RaisedError(HOSTSEAL_INVALID_ARGUMENT,
                        "Invalid procedure call or argument: the read callback reported more "
                        "bytes than the buffer holds");
    }
    return got;
  }

 private:
  hostseal_read_fn m_Read;
  void* m_Context;
};

class CallbackSink final : public ByteSink {
 public:
  CallbackSink(hostseal_write_fn write, void* context) : m_Write(write), m_Context(context) {}

  void Write(const Byte* data, std::size_t n) override {
    if (const std::int32_t status = m_Write(m_Context, data, n); status != 0) {
      throw StoppedBy("write", status);
    }
  }

 private:
  hostseal_write_fn m_Write;
  void* m_Context;
};

// FileEncrypt or FileDecrypt, both taking the plain file's path first.
using FileOperation = std::int32_t (cRijndael::*)(const std::filesystem::path&,
                                                  const std::filesystem::path&,
                                                  const cRijndael::FileProgress&) const;

hostseal_status RunFile(FileOperation operation, const hostseal_cipher* cipher,
                        const char* plain_path, const char* cipher_path,
                        hostseal_progress_fn progress, void* context) {
  return CallGuarded([&]() -> hostseal_status {
    HOSTSEAL_REQUIRE(cipher);
    const InputText plain(plain_path, "plain_path");
    const InputText cipherFile(cipher_path, "cipher_path");
    return (cipher->cipher.*operation)(FilePathFromText(plain.Text()),
                                       FilePathFromText(cipherFile.Text()),
                                       FileProgressOf(progress, context));
  });
}

hostseal_status RunStream(bool encrypt, const hostseal_cipher* cipher, hostseal_read_fn read,
                          void* read_context, hostseal_write_fn write, void* write_context,
                          hostseal_progress_fn progress, void* context) {
  return CallGuarded([&]() -> hostseal_status {
    HOSTSEAL_REQUIRE(cipher);
    HOSTSEAL_REQUIRE(read);
    HOSTSEAL_REQUIRE(write);
    CallbackSource source(read, read_context);
    CallbackSink sink(write, write_context);
    const cRijndael::StreamProgress reporting = StreamProgressOf(progress, context);
    return encrypt ? cipher->cipher.StreamEncrypt(source, sink, reporting)
                   : cipher->cipher.StreamDecrypt(sink, source, reporting);
  });
}

}  // namespace

}  // namespace hostseal::c_interface

using namespace hostseal;
using namespace hostseal::c_interface;

extern "C" {

HOSTSEAL_API hostseal_status HOSTSEAL_CALL hostseal_cipher_encrypt_file(
    const hostseal_cipher* cipher, const char* plain_path, const char* cipher_path,
    hostseal_progress_fn progress, void* context) {
  return RunFile(&cRijndael::FileEncrypt, cipher, plain_path, cipher_path, progress, context);
}

HOSTSEAL_API hostseal_status HOSTSEAL_CALL hostseal_cipher_decrypt_file(
    const hostseal_cipher* cipher, const char* plain_path, const char* cipher_path,
    hostseal_progress_fn progress, void* context) {
  return RunFile(&cRijndael::FileDecrypt, cipher, plain_path, cipher_path, progress, context);
}

HOSTSEAL_API hostseal_status HOSTSEAL_CALL hostseal_cipher_encrypt_stream(
    const hostseal_cipher* cipher, hostseal_read_fn read, void* read_context,
    hostseal_write_fn write, void* write_context, hostseal_progress_fn progress, void* context) {
  return RunStream(true, cipher, read, read_context, write, write_context, progress, context);
}

HOSTSEAL_API hostseal_status HOSTSEAL_CALL hostseal_cipher_decrypt_stream(
    const hostseal_cipher* cipher, hostseal_read_fn read, void* read_context,
    hostseal_write_fn write, void* write_context, hostseal_progress_fn progress, void* context) {
  return RunStream(false, cipher, read, read_context, write, write_context, progress, context);
}

}  // extern "C"
