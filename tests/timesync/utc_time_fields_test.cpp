#include "timesync/utc_time_fields.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <limits>

namespace {

TEST(UtcTimeFields, KeepsTheMillisecondsTheClockIsSetWith) {
  struct Case {
    const char* name;
    std::int64_t unixMicros;
    UtcTimeFields fields;
  };
  const Case cases[] = {
      {"the epoch", 0, {1970, 1, 4, 1, 0, 0, 0, 0}},
      {"a quarter of a second", 1549107584250000, {2019, 2, 6, 2, 11, 39, 44, 250}},
      {"499 us round down", 1549107584250499, {2019, 2, 6, 2, 11, 39, 44, 250}},
      {"500 us round up", 1549107584250500, {2019, 2, 6, 2, 11, 39, 44, 251}},
      {"the last millisecond of a year", 1767225599999400, {2025, 12, 3, 31, 23, 59, 59, 999}},
      {"rounding carries into the next year", 1767225599999600, {2026, 1, 4, 1, 0, 0, 0, 0}},
      {"a leap day", 1709208000123000, {2024, 2, 4, 29, 12, 0, 0, 123}},
      {"the protocol's second era begins", 2085978496000000, {2036, 2, 4, 7, 6, 28, 16, 0}},
      {"a millisecond before 1970", -1000, {1969, 12, 3, 31, 23, 59, 59, 999}},
      {"a microsecond before 1970 rounds to it", -1, {1970, 1, 4, 1, 0, 0, 0, 0}},
      {"the first day the clock can hold", -11644473600000000, {1601, 1, 1, 1, 0, 0, 0, 0}},
      {"the last millisecond it can hold", 910670515199999000, {30827, 12, 5, 31, 23, 59, 59, 999}},
  };
  for (const Case& c : cases) {
    const auto fields = ToUtcTimeFields(c.unixMicros);
    ASSERT_TRUE(fields.has_value()) << c.name;
    EXPECT_EQ(*fields, c.fields) << c.name << ": " << fields->year << "-" << fields->month << "-" << fields->day
                                 << " (" << fields->dayOfWeek << ") " << fields->hour << ":" << fields->minute << ":"
                                 << fields->second << "." << fields->milliseconds;
  }
  for (std::int64_t outside : {std::int64_t{-11644473600000501}, std::int64_t{910670515200000000}, std::numeric_limits<std::int64_t>::min(),
                               std::numeric_limits<std::int64_t>::max()})
    EXPECT_FALSE(ToUtcTimeFields(outside).has_value()) << outside;
}

}  // namespace
