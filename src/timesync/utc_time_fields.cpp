#include "timesync/utc_time_fields.h"

namespace {

// Floor division, for times before 1970.
std::int64_t FloorDiv(std::int64_t a, std::int64_t b) { return a / b - ((a % b != 0) && ((a < 0) != (b < 0))); }

}  // namespace

std::optional<UtcTimeFields> ToUtcTimeFields(std::int64_t unixMicros) {
  // Keep the arithmetic well inside 64 bits: the years 1601 to 30827 span less than 2^60 us.
  constexpr std::int64_t kLimit = std::int64_t{1} << 60;
  if (unixMicros < -kLimit || unixMicros > kLimit) return std::nullopt;
  const std::int64_t ms = FloorDiv(unixMicros + 500, 1000);
  const std::int64_t days = FloorDiv(ms, 86400000);
  const std::int64_t msOfDay = ms - days * 86400000;

  // Days since 1970-01-01 to a civil date (H. Hinnant's algorithm).
  const std::int64_t z = days + 719468;
  const std::int64_t era = FloorDiv(z, 146097);
  const std::int64_t doe = z - era * 146097;
  const std::int64_t yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
  const std::int64_t doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
  const std::int64_t mp = (5 * doy + 2) / 153;
  const std::int64_t month = mp < 10 ? mp + 3 : mp - 9;
  const std::int64_t year = yoe + era * 400 + (month <= 2);
  if (year < 1601 || year > 30827) return std::nullopt;

  UtcTimeFields fields;
  fields.year = static_cast<int>(year);
  fields.month = static_cast<int>(month);
  fields.day = static_cast<int>(doy - (153 * mp + 2) / 5 + 1);
  fields.dayOfWeek = static_cast<int>(days + 4 - FloorDiv(days + 4, 7) * 7);  // 1970-01-01 was a Thursday
  fields.hour = static_cast<int>(msOfDay / 3600000);
  fields.minute = static_cast<int>(msOfDay / 60000 % 60);
  fields.second = static_cast<int>(msOfDay / 1000 % 60);
  fields.milliseconds = static_cast<int>(msOfDay % 1000);
  return fields;
}
