// Every code page with a Windows table converts on Linux exactly as Windows does, in both
// directions: the whole mapping (every 16-bit unit, every sequence of one and two bytes)
// against the digests that the Windows build recorded under Wine, and a sample of characters
// and bytes shown one by one, so that a difference names what differs.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <map>
#include <string>
#include <vector>

#include "hostseal/text/code_page.hpp"
#include "hostseal/text/code_page_table.hpp"
#include "tests/support/code_page_digest.hpp"
#include "tests/support/known_answer_file.hpp"

namespace hostseal {
namespace {

TEST(WindowsTables, EveryCodePageConvertsAsWindowsInBothDirections) {
  std::map<std::int32_t, std::vector<std::string>> recorded;
  for (const auto& line : testing::ReadKnownAnswers("code_page_digests.txt", 3)) {
    recorded[line.Int(1)].push_back(line.fields[0] + " " + line.fields[1] + " " + line.fields[2]);
  }
  std::size_t compared = 0;
  for (const auto& [codePage, lines] : recorded) {
    SCOPED_TRACE("code page " + std::to_string(codePage));
    ASSERT_TRUE(IsKnownCodePage(codePage));
    const std::vector<std::string> computed = testing::RecordCodePage(
        codePage, [&](const std::u16string& t) { return TextToCodePageBytes(t, codePage); },
        [&](const std::vector<Byte>& b) { return CodePageBytesToText(b, codePage); });
    ASSERT_EQ(computed.size(), lines.size());
    for (std::size_t i = 0; i < lines.size(); ++i) EXPECT_EQ(computed[i], lines[i]);
    ++compared;
  }
  std::printf("%zu code pages: %zu characters and %zu byte sequences each, both directions\n",
              compared, testing::kDigestedUnits, testing::kDigestedSequences);
  // Every code page of the table but UTF-8 (its own codec) and GB18030 (no Windows table).
  const std::string known = KnownCodePages();
  EXPECT_EQ(compared + 2,
            static_cast<std::size_t>(std::count(known.begin(), known.end(), ',')) + 1);
}

}  // namespace
}  // namespace hostseal
