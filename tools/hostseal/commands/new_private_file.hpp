// WriteNewPrivateFile: a file that did not exist, readable and writable by its owner only
// (mode 0600 on Linux; on Windows an access list for the owner and the system), for the keys
// that keygen makes. An existing file or link at the name is never replaced or followed.
#pragma once

#include <string>
#include <string_view>

namespace hostseal::cli {

// Writes bytes into the new file path (UTF-8) and flushes it to disk. Raises a RaisedError in
// the style of the file routines: 75 "File already exists" when something is at the name, 76
// "Path not found" naming the folder when a folder on the way is missing, and the numbers of
// the system's other reasons; a file left half written is removed.
void WriteNewPrivateFile(const std::string& path, std::string_view bytes);

// The reason given when the name is taken.
inline constexpr char kFileAlreadyExists[] = "File already exists; keygen never replaces a file";

}  // namespace hostseal::cli
