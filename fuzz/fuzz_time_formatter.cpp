// Any format, any countdown: expansion never reads or writes out of bounds.
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <ctime>
#include <string_view>

#include "face/time_formatter.h"
#include "face/tick_countdown.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size < 12) return 0;
  TickCountdown countdown;
  std::uint32_t now;
  std::memcpy(&countdown.duration, data, 4);
  std::memcpy(&countdown.start, data + 4, 4);
  std::memcpy(&now, data + 8, 4);
  std::tm t{};
  t.tm_year = 126; t.tm_mon = data[0] % 13; t.tm_mday = 1 + data[1] % 31; t.tm_hour = data[2] % 24;
  t.tm_min = data[3] % 60; t.tm_sec = data[4] % 61; t.tm_wday = data[5] % 8; t.tm_yday = data[6] % 366;
  const std::string_view format(reinterpret_cast<const char*>(data + 12), size - 12);
  (void)TimeFormatter::Expand(format, t, (data[7] & 1) != 0, (data[7] & 2) ? &countdown : nullptr, now);
  return 0;
}
