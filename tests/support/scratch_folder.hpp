// ScratchFolder: a new, empty folder under the system's temporary folder, removed with all it
// holds when the test ends. Portable (std::filesystem alone), for tests that run on Windows.
#pragma once

#include <filesystem>
#include <random>
#include <set>
#include <stdexcept>
#include <string>
#include <system_error>

namespace hostseal::testing {

class ScratchFolder {
 public:
  ScratchFolder() {
    std::random_device random;
    const std::filesystem::path base = std::filesystem::temp_directory_path();
    for (int attempt = 0; attempt < 100; ++attempt) {
      const std::filesystem::path candidate =
          base / ("hostseal-test-" + std::to_string(random()) + std::to_string(random()));
      if (std::filesystem::create_directory(candidate)) {
        m_Path = candidate;
        return;
      }
    }
    throw std::runtime_error("no scratch folder could be made");
  }
  ScratchFolder(const ScratchFolder&) = delete;
  ScratchFolder& operator=(const ScratchFolder&) = delete;
  ~ScratchFolder() {
    std::error_code ignored;
    std::filesystem::remove_all(m_Path, ignored);
  }

  const std::filesystem::path& Path() const { return m_Path; }
  std::filesystem::path operator/(const std::filesystem::path& name) const { return m_Path / name; }

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
