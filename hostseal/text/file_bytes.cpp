#include "hostseal/text/file_bytes.hpp"

#include <limits>
#include <utility>
#include <vector>

#include "hostseal/common/raised_error.hpp"
#include "hostseal/fs/file_name.hpp"
#include "hostseal/fs/input_file.hpp"

namespace hostseal {

namespace {

constexpr auto kLargest = static_cast<std::size_t>(std::numeric_limits<std::int16_t>::max());

}  // namespace

void LoadFileBytes(const std::u16string& sFileName, ByteArray& aData, std::int16_t& nSize) {
  const InputFile file(FilePathFromText(sFileName));
  if (file.Size() > kLargest) throw RaisedError::Overflow();

  // One element more than the file has bytes; the last one stays zero. A file that reports
  // no length (a pseudo file of /proc or /sys) is read to its end, one byte past the limit to
  // tell that it is too long.
  const std::size_t wanted = file.Size() > 0 ? static_cast<std::size_t>(file.Size()) : kLargest + 1;
  std::vector<Byte> bytes(wanted + 1, 0);
  std::size_t size = wanted;
  if (file.Size() > 0) {
    file.ReadAt(bytes.data(), wanted, 0);
  } else {
    size = file.ReadUpTo(bytes.data(), wanted, 0);
    if (size > kLargest) throw RaisedError::Overflow();
    bytes.resize(size + 1);
  }
  file.RequireUnchanged();
  aData = ByteArray(std::move(bytes));
  nSize = static_cast<std::int16_t>(size);
}

}  // namespace hostseal
