#include "face/time_formatter.h"

#include <gtest/gtest.h>

#include <clocale>
#include <cstdint>
#include <ctime>
#include <string>

#include "face/tick_countdown.h"
#include "face/scoped_locale.h"

namespace {

// Thursday 2026-12-10 09:05:07, day 344 of the year.
std::tm Sample() {
  std::tm t{};
  t.tm_year = 126;
  t.tm_mon = 11;
  t.tm_mday = 10;
  t.tm_hour = 9;
  t.tm_min = 5;
  t.tm_sec = 7;
  t.tm_wday = 4;
  t.tm_yday = 343;
  t.tm_isdst = -1;
  return t;
}

// The ASCII texts of the tables, for the wide path.
std::wstring Wide(const std::string& ascii) { return std::wstring(ascii.begin(), ascii.end()); }

struct CountdownCase {
  const char* name;
  const char* format;
  bool countdownVariant;
  bool attached;
  std::uint32_t duration;
  std::uint32_t start;
  std::uint32_t now;
  const char* expected;
};

class CountdownSubstitution : public testing::TestWithParam<CountdownCase> {};

TEST_P(CountdownSubstitution, Expands) {
  const CountdownCase& c = GetParam();
  TickCountdown countdown{c.duration, c.start};
  const std::string text =
      TimeFormatter::Expand(c.format, Sample(), c.countdownVariant, c.attached ? &countdown : nullptr, c.now);
  EXPECT_EQ(text, c.expected);
  // The wide path is the same walk over wide text.
  EXPECT_EQ(TimeFormatter::Expand(Wide(c.format), Sample(), c.countdownVariant, c.attached ? &countdown : nullptr,
                                  c.now),
            Wide(c.expected));
}

const CountdownCase kCountdownCases[] = {
    {"MinutesSecondsTotal", "%Q|%q|%T", true, true, 300000, 1000, 1000 + 174500, "2|5|125"},
    {"DefaultCounterText", "Remaining %Q minutes and %q seconds !", true, true, 300000, 0, 174500,
     "Remaining 2 minutes and 5 seconds !"},
    {"BelowOneSecond", "%Q|%q|%T", true, true, 300000, 0, 299001, "0|0|0"},
    {"ExactlyDue", "%Q|%q|%T", true, true, 300000, 0, 300000, "0|0|0"},
    {"LongPastDue", "%Q|%q|%T", true, true, 300000, 0, 900000, "0|0|0"},
    // The tick counter wrapped: 0xFFFFFF00 to 0x100 is 512 ms.
    {"TickWrap", "%T", true, true, 10000, 0xFFFFFF00u, 0x00000100u, "9"},
    {"TickWrapMilliseconds", "%q", true, true, 60512, 0xFFFFFF00u, 0x00000100u, "0"},
    {"NoCountdownAttached", "%Q|%q|%T", true, false, 0, 0, 0, "0|0|0"},
    {"NoLeadingZeros", "%Q:%q", true, true, 67000, 0, 0, "1:7"},
    // "%%Q" becomes "%" and the minutes, which the calendar stage then reads as a conversion.
    {"EscapedPercentBeforeQ", "%%Q", true, true, 300000, 0, 174500, "%2"},
    {"CrLfKept", "%Q min\r\n%q sec", true, true, 125500, 0, 0, "2 min\r\n5 sec"},
    // A plain face leaves the countdown tokens to the calendar stage, which copies them.
    {"PlainFaceLeavesQ", "%Q %q", false, true, 300000, 0, 0, "%Q %q"},
    // In a plain face "%T" is the calendar's time of day.
    {"PlainFaceT", "%T", false, true, 300000, 0, 0, "09:05:07"},
};

INSTANTIATE_TEST_SUITE_P(Table, CountdownSubstitution, testing::ValuesIn(kCountdownCases),
                         [](const auto& info) { return std::string(info.param.name); });

struct CalendarCase {
  const char* name;
  const char* format;
  const char* expected;
};

class CalendarExpansion : public testing::TestWithParam<CalendarCase> {};

TEST_P(CalendarExpansion, Expands) {
  EXPECT_EQ(TimeFormatter::FormatCalendar(GetParam().format, Sample()), GetParam().expected);
  EXPECT_EQ(TimeFormatter::FormatCalendar(Wide(GetParam().format), Sample()), Wide(GetParam().expected));
}

const CalendarCase kCalendarCases[] = {
    {"DefaultFormat", "%Y/%m/%d (%a) %H:%M", "2026/12/10 (Thu) 09:05"},
    {"OfferedTokens", "%Y %y %B %b %m %d %A %a %p %H %I %M %S",
     "2026 26 December Dec 12 10 Thursday Thu AM 09 09 05 07"},
    {"HourMinute", "%H:%M", "09:05"},
    {"CrLfKept", "%H\r\n%M", "09\r\n05"},
    {"Empty", "", ""},
    {"NoConversions", "plain text", "plain text"},
    {"PercentPercent", "100%%", "100%"},
    {"TrailingPercent", "%H%", "09%"},
    {"TrailingHashFlag", "%H%#", "09%#"},
    {"UnknownConversionsCopied", "%Q %q %K %i %1 %!", "%Q %q %K %i %1 %!"},
    {"HashFlagDropsZeros", "%#d.%#m. %#H:%#M:%#S %#j %#y", "10.12. 9:5:7 344 26"},
    {"HashFlagOnNamesIgnored", "%#a %#B %#%", "Thu December %"},
    {"HashFlagLongDate", "%#x", "Thursday, December 10, 2026"},
    {"HashFlagLongDateTime", "%#c", "Thursday, December 10, 2026 09:05:07"},
    {"ClassicComposites", "%c|%x|%X", "Thu Dec 10 09:05:07 2026|12/10/26|09:05:07"},
    {"StandardComposites", "%D|%F|%T|%R|%r", "12/10/26|2026-12-10|09:05:07|09:05|09:05:07 AM"},
    {"NumbersAndWeeks", "%C %e %j %u %w %U %W %V %G %g", "20 10 344 4 4 49 49 50 2026 26"},
    {"TabAndNewline", "a%tb%nc", "a\tb\nc"},
    {"LocaleModifiersTakePlainForm", "%Ey %Od", "26 10"},
};

INSTANTIATE_TEST_SUITE_P(Table, CalendarExpansion, testing::ValuesIn(kCalendarCases),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(CalendarExpansion, TwelveHourClockAtMidnightAndNoon) {
  std::tm t = Sample();
  t.tm_hour = 0;
  EXPECT_EQ(TimeFormatter::FormatCalendar("%I %p", t), "12 AM");
  t.tm_hour = 12;
  EXPECT_EQ(TimeFormatter::FormatCalendar("%I %p", t), "12 PM");
  t.tm_hour = 23;
  EXPECT_EQ(TimeFormatter::FormatCalendar("%I %p", t), "11 PM");
}

TEST(CalendarExpansion, IsoWeekAtYearBoundaries) {
  // Friday 2021-01-01 belongs to week 53 of 2020; Monday 2024-12-30 to week 1 of 2025.
  std::tm t{};
  t.tm_year = 121; t.tm_mon = 0; t.tm_mday = 1; t.tm_wday = 5; t.tm_yday = 0;
  EXPECT_EQ(TimeFormatter::FormatCalendar("%G-W%V", t), "2020-W53");
  t.tm_year = 124; t.tm_mon = 11; t.tm_mday = 30; t.tm_wday = 1; t.tm_yday = 364;
  EXPECT_EQ(TimeFormatter::FormatCalendar("%G-W%V", t), "2025-W01");
}

TEST(CalendarExpansion, OutOfRangeFieldsNeverReachTheRuntime) {
  std::tm t = Sample();
  t.tm_mon = 12;
  t.tm_wday = 9;
  EXPECT_EQ(TimeFormatter::FormatCalendar("%a %b", t), "? ?");
}

TEST(CalendarExpansion, LongFormatHasNoLengthLimit) {
  std::string format;
  std::string expected;
  while (format.size() < 2000) {
    format += "%Y-%m-%d %H:%M ";
    expected += "2026-12-10 09:05 ";
  }
  const std::string text = TimeFormatter::FormatCalendar(format, Sample());
  EXPECT_EQ(text, expected);
  EXPECT_GT(text.size(), 2000u);
}

TEST(WideCalendarExpansion, NamesOfTheLocaleWhateverTheSystemCodePage) {
  // Japanese names in a runtime whose narrow texts would be Shift-JIS (Windows) or
  // UTF-8 (glibc): the wide path holds them as characters either way, and the
  // format's own non-ASCII text and the numbers around them stay as they were.
#ifdef _WIN32
  ScopedLocale japanese("Japanese_Japan.932");
#else
  ScopedLocale japanese("ja_JP.UTF-8");
#endif
  ASSERT_TRUE(japanese.ok()) << "a Japanese locale is needed (tools/deps.sh makes ja_JP.UTF-8)";
  EXPECT_EQ(TimeFormatter::FormatCalendar(L"%Y\u5e74%B%d\u65e5 %A %H:%M", Sample()),
            L"2026\u5e7412\u670810\u65e5 \u6728\u66dc\u65e5 09:05");
  EXPECT_EQ(TimeFormatter::Expand(L"%B: %Q \u5206", Sample(), true, nullptr, 0), L"12\u6708: 0 \u5206");
}

TEST(CalendarExpansion, StoredFormatIsNotChanged) {
  const std::string format = "%Q %q %T";
  TickCountdown countdown{60000, 0};
  (void)TimeFormatter::Expand(format, Sample(), true, &countdown, 0);
  EXPECT_EQ(format, "%Q %q %T");
}

}  // namespace

// A face whose text changes with the second is drawn each second; every other once a minute.
TEST(ShowsSeconds, EveryConversionThatHoldsTheSecond) {
  const struct {
    const char* format;
    bool seconds;
  } cases[] = {
      {"%S", true},      {"%H:%M:%S", true}, {"%#S", true},  {"%OS", true},  {"%T", true},
      {"%r", true},      {"%X", true},       {"%c", true},   {"%#c", true},  {"a\n%S\nb", true},
      {"", false},       {"%H:%M", false},   {"%R", false},  {"%x", false},  {"%Y/%m/%d (%a) %H:%M", false},
      {"%%S", false},    {"%s", false},      {"S", false},   {"%Q %q", false},  {"%z %Z %p", false},
  };
  for (const auto& c : cases) EXPECT_EQ(TimeFormatter::ShowsSeconds(c.format), c.seconds) << c.format;
}

TEST(ShowsSeconds, TheLocalesOwnTimeTextToo) {
#ifdef _WIN32
  ScopedLocale locale("Japanese_Japan.932");
#else
  ScopedLocale locale("ja_JP.UTF-8");
#endif
  if (!locale.ok()) GTEST_SKIP() << "no Japanese locale here";
  EXPECT_TRUE(TimeFormatter::ShowsSeconds("%X"));
  EXPECT_TRUE(TimeFormatter::ShowsSeconds("%c"));
  EXPECT_FALSE(TimeFormatter::ShowsSeconds("%x %A"));
}
