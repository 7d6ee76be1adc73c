// WriteScreenshotFile: the PNG bytes into a ReplacingFile at the named path.
#include "hostseal/ui/screenshot_file.hpp"

#include <filesystem>

#include "hostseal/fs/file_error.hpp"
#include "hostseal/fs/file_name.hpp"
#include "hostseal/fs/replacing_file.hpp"

namespace hostseal {

void WriteScreenshotFile(std::u16string_view fileName, std::span<const Byte> png) {
  using std::filesystem::perms;
  ReplacingFile file(FilePathFromText(fileName), perms::owner_read | perms::owner_write |
                                                     perms::group_read | perms::others_read);
  file.WriteAt(png.data(), png.size(), 0);
  file.Commit();
}

void RaiseScreenshotNotDrawn(std::u16string_view fileName) {
  throw FileSystemError(ErrorNumber::kDeviceIoError, FilePathFromText(fileName),
                        "the window could not be drawn as a PNG image");
}

}  // namespace hostseal
