// A parameterised cipher test that runs once on each AES path ("portable", "aes-ni", "vaes")
// that this processor can run, skips the others with a message, and puts the path in use back
// afterwards. Instantiate with HOSTSEAL_INSTANTIATE_AES_PATHS(Suite).
#pragma once

#include <gtest/gtest.h>

#include <string>
#include <string_view>

#include "hostseal/cipher/block_backend.hpp"

namespace hostseal::testing {

class AesPathTest : public ::testing::TestWithParam<const char*> {
 protected:
  void SetUp() override {
    m_Before = cipher_backend::ActiveName();
    if (!cipher_backend::Select(GetParam())) {
      GTEST_SKIP() << "this processor cannot run the " << GetParam() << " path";
    }
  }
  void TearDown() override { cipher_backend::Select(m_Before); }

 private:
  std::string_view m_Before;
};

// "aes-ni" becomes "aesni": test names take no dashes.
inline std::string AesPathName(const ::testing::TestParamInfo<const char*>& info) {
  std::string name = info.param;
  std::erase(name, '-');
  return name;
}

}  // namespace hostseal::testing

#define HOSTSEAL_INSTANTIATE_AES_PATHS(Suite)                                             \
  INSTANTIATE_TEST_SUITE_P(Paths, Suite, ::testing::Values("portable", "aes-ni", "vaes"), \
                           ::hostseal::testing::AesPathName)
