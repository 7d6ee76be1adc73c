// ScratchFolder: a new, empty folder that only its owner may enter, under the system's
// temporary folder, or with kInMemory on Linux under /dev/shm where the machine has a writable
// one and TMPDIR is not set (memory, so that the fuzz targets' many small files cost no disk;
// /dev/shm may be small, so tests that write large files stay on disk); removed with all it
// holds when the test ends, whatever permissions the test left on it. Portable (std::filesystem
// alone), for tests that run on Windows too.
#pragma once

#include <cstdlib>
#include <filesystem>
#include <random>
#include <set>
#include <stdexcept>
#include <string>
#include <system_error>
#include <vector>

namespace hostseal::testing {

class ScratchFolder {
 public:
  enum Place { kOnDisk, kInMemory };
  explicit ScratchFolder([[maybe_unused]] Place place = kOnDisk) {
    namespace fs = std::filesystem;
    std::random_device random;
    std::error_code error;
    std::vector<fs::path> bases;
#ifndef _WIN32
    if (place == kInMemory && std::getenv("TMPDIR") == nullptr &&
        fs::is_directory("/dev/shm", error)) {
      bases.emplace_back("/dev/shm");
    }
#endif
    bases.push_back(fs::temp_directory_path());
    for (const fs::path& base : bases) {
      for (int attempt = 0; attempt < 100; ++attempt) {
        const fs::path candidate =
            base / ("hostseal-test-" + std::to_string(random()) + std::to_string(random()));
        if (fs::create_directory(candidate, error)) {
          fs::permissions(candidate, fs::perms::owner_all, error);
          m_Path = candidate;
          return;
        }
        if (error && error != std::errc::file_exists) break;  // not writable: the next base
      }
    }
    throw std::runtime_error("no scratch folder could be made");
  }
  ScratchFolder(const ScratchFolder&) = delete;
  ScratchFolder& operator=(const ScratchFolder&) = delete;
  ~ScratchFolder() {
    std::error_code ignored;
    std::filesystem::permissions(m_Path, std::filesystem::perms::owner_all,
                                 std::filesystem::perm_options::add, ignored);
    std::filesystem::remove_all(m_Path, ignored);
  }

  const std::filesystem::path& Path() const {
    return m_Path;
  }
  std::filesystem::path operator/(const std::filesystem::path& name) const {
    return m_Path / name;
  }

  // The names in the folder as UTF-8, to see that no temporary file stayed behind.
  std::set<std::string> Names() const {
    std::set<std::string> names;
    for (const auto& entry : std::filesystem::directory_iterator(m_Path)) {
      const std::u8string name = entry.path().filename().u8string();
      names.emplace(name.begin(), name.end());
    }
    return names;
  }

 private:
  std::filesystem::path m_Path;
};

}  // namespace hostseal::testing
