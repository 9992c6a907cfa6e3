// A point in time as the calendar fields the system clock is set with (UTC,
// proleptic Gregorian calendar, as a SYSTEMTIME holds them).
#pragma once

#include <cstdint>
#include <optional>

struct UtcTimeFields {
  int year = 1970;
  int month = 1;      // 1-12
  int dayOfWeek = 4;  // 0 Sunday - 6 Saturday
  int day = 1;        // 1-31
  int hour = 0;
  int minute = 0;
  int second = 0;
  int milliseconds = 0;

  bool operator==(const UtcTimeFields&) const = default;
};

// Microseconds since 1970-01-01 00:00:00 UTC, rounded to the nearest
// millisecond, as calendar fields; nullopt outside the years 1601 to 30827,
// which the system clock cannot hold.
std::optional<UtcTimeFields> ToUtcTimeFields(std::int64_t unixMicros);
