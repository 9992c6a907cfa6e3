#include "timesync/time_step.h"

#include <gtest/gtest.h>

namespace {

constexpr std::int64_t kS = kMicrosPerSecond;

TEST(TimeStep, NamesTheCorrectionInItsTwoLargestUnits) {
  const struct {
    std::int64_t offset;
    const char* text;
  } cases[] = {
      {(3 * 86400 + 2 * 3600 + 59 * 60) * kS, "3 days 2 hours behind"},
      {-(3 * 86400 + 2 * 3600) * kS, "3 days 2 hours ahead"},
      {(3600 + 60) * kS, "1 hour 1 minute behind"},
      {-(3600 + 60) * kS, "1 hour 1 minute ahead"},
      {(86400 + 5) * kS, "1 day behind"},  // the unit under the largest, never one further down
      {45 * kS + 400000, "45 seconds behind"},
      {1 * kS, "1 second behind"},
      {-400000, "0 seconds ahead"},
      {std::int64_t{20 * 365 + 5} * 86400 * kS + 7 * 3600 * kS, "7305 days 7 hours behind"},  // a lost battery
  };
  for (const auto& c : cases) EXPECT_EQ(TimeStep::Describe(c.offset), c.text) << c.offset;
}

TEST(TimeStep, MoreThanAnHourNeedsAYesForAboutThatCorrection) {
  const std::int64_t hourAndMinute = (3600 + 60) * kS;
  const struct {
    const char* name;
    TimeStep::Approval approval;
    std::int64_t offset;
    bool allowed;
  } cases[] = {
      {"an hour exactly", {}, 3600 * kS, true},
      {"an hour ahead exactly", {}, -3600 * kS, true},
      {"an hour and a microsecond", {}, 3600 * kS + 1, false},
      {"an hour and a minute ahead", {}, -hourAndMinute, false},
      {"a century", {}, std::int64_t{36525} * 86400 * kS, false},
      {"--allow-step", {true, {}}, std::int64_t{36525} * 86400 * kS, true},
      {"yes to that correction", {false, hourAndMinute}, hourAndMinute + 2 * kS, true},
      {"yes to one a minute away", {false, hourAndMinute}, hourAndMinute + 60 * kS, true},
      {"yes to another one", {false, hourAndMinute}, hourAndMinute + 61 * kS, false},
      {"yes to behind, the server now says ahead", {false, hourAndMinute}, -hourAndMinute, false},
  };
  for (const auto& c : cases) EXPECT_EQ(c.approval.Allows(c.offset), c.allowed) << c.name;
}

}  // namespace
