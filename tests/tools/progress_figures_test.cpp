// The progress line's figures: the percentage at once, the rate and the time left once a second
// has passed, the time left rounded up so that it never reads 0:00 before the end.
#include "tools/hostseal/streams/progress_bar.hpp"

#include <gtest/gtest.h>

#include <string>
#include <tuple>
#include <vector>

namespace hostseal::cli {
namespace {

TEST(ProgressFigures, PercentThenRateAndTimeLeft) {
  constexpr std::uint64_t kMB = 1'000'000;
  for (const auto& [done, total, seconds, shown] :
       std::vector<std::tuple<std::uint64_t, std::uint64_t, double, std::string>>{
           {0, 100 * kMB, 0.0, "0%"},
           {50 * kMB, 100 * kMB, 0.5, "50%"},  // too early for a rate
           {50 * kMB, 100 * kMB, 2.0, "50%  25.0 MB/s, 0:02 left"},
           {1 * kMB, 100 * kMB, 1.5, "1%  0.7 MB/s, 2:29 left"},
           {300 * kMB, 30'000 * kMB, 1.0, "1%  300 MB/s, 1:39 left"},
           {1 * kMB, 10'000 * kMB, 1.0, "0%  1.0 MB/s, 2:46:39 left"},
           {100 * kMB, 100 * kMB, 4.0, "100%  25.0 MB/s"},
           {120 * kMB, 100 * kMB, 4.0, "100%  25.0 MB/s"},  // more than announced
           {0, 0, 3.0, "100%"}}) {
    EXPECT_EQ(ProgressFigures(done, total, seconds), shown) << done << " of " << total;
  }
}

}  // namespace
}  // namespace hostseal::cli
