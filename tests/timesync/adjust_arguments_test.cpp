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

TEST(AdjustArguments, CarryTheSettingsInTheClocksOrder) {
  TimeAdjustSettings settings;
  settings.server = "my server";
  settings.port = "ntp";
  settings.timeoutMs = 500;
  settings.retries = -3;  // hand-edited values pass as they are
  settings.samples = 2;
  EXPECT_EQ(AdjustArguments::Build(settings),
            "adjust --server \"my server\" --port ntp --timeout 500 --retry -3 --samples 2");
  EXPECT_EQ(AdjustArguments::Build(TimeAdjustSettings{}, true),
            "adjust --server pool.ntp.org --port 123 --timeout 5000 --retry 3 --samples 4 --allow-step");
  EXPECT_EQ(AdjustArguments::Build(TimeAdjustSettings{}, false, -3660),
            "adjust --server pool.ntp.org --port 123 --timeout 5000 --retry 3 --samples 4 --approved-step -3660");
}

TEST(AdjustArguments, ReadBackWhatTheyWriteAndRefuseTheRest) {
  TimeAdjustSettings settings;
  settings.server = "--port";  // a value that looks like an option stays a value
  settings.port = "ntp";
  settings.timeoutMs = 0;
  settings.retries = -3;
  settings.samples = 100;
  for (const bool allowStep : {false, true}) {
    std::vector<std::string> args = {"--server", "--port", "--port", "ntp", "--timeout", "0", "--retry", "-3",
                                     "--samples", "100"};
    if (allowStep) args.push_back("--allow-step");
    TimeAdjustSettings read;
    bool allowed = false;
    std::string error;
    ASSERT_TRUE(AdjustArguments::Parse(args, read, allowed, error)) << error;
    EXPECT_EQ(read, settings);
    EXPECT_EQ(allowed, allowStep);
  }
  const struct {
    std::vector<std::string> args;
    const char* error;
  } bad[] = {
      {{"time.example"}, "no HOST argument; use --server"},
      {{"--bogus"}, "unknown option --bogus"},
      {{"--server"}, "--server needs a value"},
      {{"--timeout", "-1"}, "--timeout takes milliseconds in plain decimal digits (0 to 2147483647)"},
      // As found: strtoll took a leading space or "+" and gave 5.
      {{"--timeout", " 5"}, "--timeout takes milliseconds in plain decimal digits (0 to 2147483647)"},
      {{"--timeout", "+5"}, "--timeout takes milliseconds in plain decimal digits (0 to 2147483647)"},
      {{"--timeout", "5 "}, "--timeout takes milliseconds in plain decimal digits (0 to 2147483647)"},
      {{"--retry", "x"}, "--retry takes a whole number of attempts"},
      {{"--retry", "+3"}, "--retry takes a whole number of attempts"},
      {{"--retry", "-"}, "--retry takes a whole number of attempts"},
      {{"--samples", " 2"}, "--samples takes 1 to 100"},
      {{"--samples", "0"}, "--samples takes 1 to 100"},
      {{"--samples", "101"}, "--samples takes 1 to 100"},
      // Only the clock's own elevated run takes the correction said yes to.
      {{"--approved-step", "3660"}, "unknown option --approved-step"},
  };
  for (const auto& b : bad) {
    TimeAdjustSettings read;
    bool allowed = false;
    std::string error;
    EXPECT_FALSE(AdjustArguments::Parse(b.args, read, allowed, error)) << b.error;
    EXPECT_EQ(error, b.error);
  }
}

TEST(AdjustArguments, CarryTheCorrectionSaidYesToOnlyToTheElevatedRun) {
  const struct {
    std::vector<std::string> args;
    bool ok;
    std::optional<std::int64_t> seconds;
  } cases[] = {
      {{"--approved-step", "266400"}, true, 266400},
      {{"--approved-step", "-3660"}, true, -3660},
      {{"--approved-step", "3155760000"}, true, 3155760000},  // a century
      {{}, true, std::nullopt},
      {{"--approved-step"}, false, std::nullopt},
      {{"--approved-step", ""}, false, std::nullopt},
      {{"--approved-step", "1e9"}, false, std::nullopt},
      {{"--approved-step", "99999999999999999999"}, false, std::nullopt},
  };
  for (const auto& c : cases) {
    TimeAdjustSettings read;
    bool allowed = false;
    std::string error;
    std::optional<std::int64_t> seconds;
    EXPECT_EQ(AdjustArguments::Parse(c.args, read, allowed, error, &seconds), c.ok) << error;
    if (c.ok) EXPECT_EQ(seconds, c.seconds);
    EXPECT_FALSE(allowed) << "a yes to one correction is no --allow-step";
  }
}

}  // namespace
