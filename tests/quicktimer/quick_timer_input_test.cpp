#include "quicktimer/quick_timer_input.h"

#include <gtest/gtest.h>

namespace {

TEST(QuickTimerInput, ShowsStoredTimes) {
  struct Case {
    std::uint32_t durationMs;
    const char* minutes;
  } const cases[] = {
      {180000, "3"}, {90000, "1.5"}, {30000, "0.5"}, {6000, "0.1"}, {60000, "1"}, {599940000, "9999"}, {0, "0"},
      {123456, "2.1"},
  };
  for (const Case& c : cases) EXPECT_EQ(QuickTimerInput::MinutesText(c.durationMs), c.minutes) << c.durationMs;
  EXPECT_EQ(QuickTimerInput::SecondsText(10000), "10");
  EXPECT_EQ(QuickTimerInput::SecondsText(10999), "10");
  EXPECT_EQ(QuickTimerInput::SecondsText(0), "0");
}

TEST(QuickTimerInput, ReadsMinutes) {
  struct Case {
    const char* text;
    std::optional<std::uint32_t> durationMs;
  } const cases[] = {
      {"3", 180000},     {"1.5", 90000},  {".5", 30000},   {"0.1", 6000},          {".05", 3000},
      {"999", 59940000}, {"0.7", 42000}, {"120", 7200000}, {"1e3", 60000000}, {"2x", 120000},  // atof reads the leading number
      {"0", std::nullopt}, {"-1", std::nullopt}, {"abc", std::nullopt}, {"", std::nullopt},
      {"1e4", std::nullopt}, {"nan", std::nullopt}, {"inf", std::nullopt}, {"0.0", std::nullopt},
  };
  for (const Case& c : cases) EXPECT_EQ(QuickTimerInput::ParseMinutes(c.text), c.durationMs) << c.text;
}

TEST(QuickTimerInput, ReadsSeconds) {
  struct Case {
    const char* text;
    std::optional<std::uint32_t> playTimeMs;
  } const cases[] = {
      {"10", 10000}, {"1", 1000}, {"9999", 9999000}, {"2.9", 2000},
      {"0", std::nullopt}, {"-5", std::nullopt}, {"10000", std::nullopt}, {"abc", std::nullopt},
      {"", std::nullopt}, {"99999999999999999999", std::nullopt},
  };
  for (const Case& c : cases) EXPECT_EQ(QuickTimerInput::ParseSeconds(c.text), c.playTimeMs) << c.text;
}

}  // namespace
