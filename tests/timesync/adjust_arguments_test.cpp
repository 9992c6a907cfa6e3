#include "timesync/adjust_arguments.h"

#include <gtest/gtest.h>

namespace {

TEST(AdjustArguments, QuotesOnlyWhatACommandLineWouldSplitOrEat) {
  const struct {
    const char* argument;
    const char* quoted;
  } cases[] = {
      {"pool.ntp.org", "pool.ntp.org"},
      {"", "\"\""},
      {"a b", "\"a b\""},
      {"tab\there", "\"tab\there\""},
      {"a\"b", "\"a\\\"b\""},
      {"C:\\dir\\", "C:\\dir\\"},            // backslashes alone stay as they are
      {"a\\ b", "\"a\\ b\""},                // inside quotes, a backslash before a letter stays single
      {"a\\\"b", "\"a\\\\\\\"b\""},          // before a quote: doubled, and the quote escaped
      {"end \\", "\"end \\\\\""},            // before the closing quote: doubled
      {"\\\\\"", "\"\\\\\\\\\\\"\""},
  };
  for (const auto& c : cases) EXPECT_EQ(AdjustArguments::Quote(c.argument), c.quoted) << c.argument;
}

TEST(AdjustArguments, CarryAllFourSettingsInTheClocksOrder) {
  TimeAdjustSettings settings;
  settings.server = "my server";
  settings.port = "ntp";
  settings.timeoutMs = 500;
  settings.retries = -3;  // hand-edited values pass as they are
  EXPECT_EQ(AdjustArguments::Build(settings), "adjust --server \"my server\" --port ntp --timeout 500 --retry -3");
  EXPECT_EQ(AdjustArguments::Build(TimeAdjustSettings{}),
            "adjust --server pool.ntp.org --port 123 --timeout 5000 --retry 3");
}

}  // namespace
