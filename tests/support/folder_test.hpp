// FolderTest: a test with a scratch folder of its own that only its user may enter, removed
// with all it holds when the test ends; Path names a file in it.
#pragma once

#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "tests/support/scratch_folder.hpp"

namespace hostseal::testing {

class FolderTest : public ::testing::Test {
 protected:
  FolderTest() { std::filesystem::permissions(m_Dir.Path(), std::filesystem::perms::owner_all); }

  std::string Path(const std::string& name) const { return (m_Dir / name).string(); }

  ScratchFolder m_Dir;
};

}  // namespace hostseal::testing
