// KeyChoice leaves no copy of its key behind: the text's buffer is wiped when the choice goes.
// A short text lives inside the object itself, so its bytes can be looked at afterwards.
#include "hostseal/operations/key_choice.hpp"

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cstring>
#include <memory>
#include <new>
#include <string>

namespace hostseal::testing {
namespace {

bool Holds(const unsigned char* storage, std::size_t size, const std::u16string& text) {
  const auto* bytes = reinterpret_cast<const unsigned char*>(text.data());
  const std::size_t n = text.size() * sizeof(char16_t);
  return std::search(storage, storage + size, bytes, bytes + n) != storage + size;
}

TEST(KeyChoice, WipesItsTextWhenItGoes) {
  const std::u16string secret = u"k3Y!";  // short enough to stay inside the string object
  alignas(KeyChoice) std::array<unsigned char, sizeof(KeyChoice)> storage{};
  auto* choice = new (storage.data()) KeyChoice{KeyChoice::Kind::kPassPhrase, secret, 128};
  ASSERT_TRUE(Holds(storage.data(), storage.size(), secret));
  std::destroy_at(choice);
  EXPECT_FALSE(Holds(storage.data(), storage.size(), secret));
}

}  // namespace
}  // namespace hostseal::testing
