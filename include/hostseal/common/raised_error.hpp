// RaisedError: the one exception type of the library, a run-time error number and a
// description.
//
// Callers of the original component know these numbers, so they are kept: 1 for the cipher's
// own errors, and the conventional numbers below for index, overflow and file-system errors.
// Descriptions are UTF-8 and, for file-system errors, name the path.
#pragma once

#include <cstdint>
#include <exception>
#include <string>

namespace hostseal {

enum class ErrorNumber : std::int32_t {
  kCipher = 1,
  kOverflow = 6,
  kSubscriptOutOfRange = 9,
  kBadFileNameOrNumber = 52,
  kFileNotFound = 53,
  kDeviceIoError = 57,
  kDiskFull = 61,
  kPermissionDenied = 70,
  kPathFileAccessError = 75,
  kPathNotFound = 76,
};

class RaisedError : public std::exception {
 public:
  RaisedError(std::int32_t number, std::string description);
  RaisedError(ErrorNumber number, std::string description);

  std::int32_t Number() const noexcept { return m_Number; }
  const std::string& Description() const noexcept { return m_Description; }
  const char* what() const noexcept override { return m_Description.c_str(); }

  // The index-out-of-range error (9, "Subscript out of range").
  static RaisedError SubscriptOutOfRange();
  // The overflow error (6, "Overflow").
  static RaisedError Overflow();

 private:
  std::int32_t m_Number;
  std::string m_Description;
};

}  // namespace hostseal
