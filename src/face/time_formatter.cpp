#include "face/time_formatter.h"

#include <array>
#include <clocale>
#include <cstring>
#include <cwchar>

#include "face/tick_countdown.h"

namespace {

template <typename Char>
using Text = std::basic_string<Char>;
template <typename Char>
using TextView = std::basic_string_view<Char>;

// The formats and texts this file makes up itself are ASCII: widened one unit each.
template <typename Char>
Text<Char> Ascii(std::string_view text) {
  return Text<Char>(text.begin(), text.end());
}

template <typename Char>
void ReplaceAll(Text<Char>& text, TextView<Char> from, TextView<Char> to) {
  Text<Char> out;
  out.reserve(text.size());
  std::size_t pos = 0;
  for (std::size_t hit; (hit = text.find(from, pos)) != Text<Char>::npos; pos = hit + from.size()) {
    out.append(text, pos, hit - pos);
    out.append(to);
  }
  if (pos == 0) return;  // nothing replaced
  out.append(text, pos, Text<Char>::npos);
  text.swap(out);
}

template <typename Char>
void AppendNumber(Text<Char>& out, long long value, int width, char pad, bool noPadding) {
  std::array<char, 24> digits{};
  int n = 0;
  const bool negative = value < 0;
  unsigned long long magnitude = negative ? 0ULL - static_cast<unsigned long long>(value)
                                          : static_cast<unsigned long long>(value);
  do {
    digits[n++] = static_cast<char>('0' + magnitude % 10);
    magnitude /= 10;
  } while (magnitude != 0);
  if (negative) out.push_back(static_cast<Char>('-'));
  if (!noPadding) {
    for (int i = n + (negative ? 1 : 0); i < width; ++i) out.push_back(static_cast<Char>(pad));
  }
  while (n > 0) out.push_back(static_cast<Char>(digits[--n]));
}

// Weeks in an ISO 8601 year: 53 when it starts or ends on a Thursday.
int IsoWeeksInYear(long long year) {
  auto p = [](long long y) { return ((y + y / 4 - y / 100 + y / 400) % 7 + 7) % 7; };
  return (p(year) == 4 || p(year - 1) == 3) ? 53 : 52;
}

struct IsoWeek {
  long long year;
  int week;
};

IsoWeek IsoWeekOf(const std::tm& t) {
  const long long year = 1900LL + t.tm_year;
  const int isoWeekday = (t.tm_wday + 6) % 7 + 1;  // Monday 1 ... Sunday 7
  const int week = (t.tm_yday + 1 - isoWeekday + 10) / 7;
  if (week < 1) return {year - 1, IsoWeeksInYear(year - 1)};
  if (week > IsoWeeksInYear(year)) return {year + 1, 1};
  return {year, week};
}

long long DaysFromCivil(long long y, unsigned m, unsigned d) {
  y -= m <= 2;
  const long long era = (y >= 0 ? y : y - 399) / 400;
  const unsigned yoe = static_cast<unsigned>(y - era * 400);
  const unsigned doy = (153 * (m + (m > 2 ? -3 : 9)) + 2) / 5 + d - 1;
  const unsigned doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
  return era * 146097 + static_cast<long long>(doe) - 719468;
}

bool ClassicTimeLocale() {
  const char* name = std::setlocale(LC_TIME, nullptr);
  return name == nullptr || std::strcmp(name, "C") == 0 || std::strcmp(name, "POSIX") == 0;
}

bool FieldsValid(const std::tm& t) {
  return t.tm_sec >= 0 && t.tm_sec <= 60 && t.tm_min >= 0 && t.tm_min <= 59 && t.tm_hour >= 0 &&
         t.tm_hour <= 23 && t.tm_mday >= 1 && t.tm_mday <= 31 && t.tm_mon >= 0 && t.tm_mon <= 11 &&
         t.tm_wday >= 0 && t.tm_wday <= 6 && t.tm_yday >= 0 && t.tm_yday <= 365 &&
         t.tm_year >= -1900 && t.tm_year <= 8099;
}

// One conversion through the C runtime, for the texts that come from the locale:
// narrow in the locale's own code page, or wide (UTF-16 on Windows), which holds
// the locale's names whatever the system's code page is.
std::size_t RuntimeFormat(char* buffer, std::size_t size, const char* conversion, const std::tm& t) {
  return std::strftime(buffer, size, conversion, &t);
}
std::size_t RuntimeFormat(wchar_t* buffer, std::size_t size, const char* conversion, const std::tm& t) {
  const std::wstring wide = Ascii<wchar_t>(conversion);
  return std::wcsftime(buffer, size, wide.c_str(), &t);
}

template <typename Char>
void AppendFromRuntime(Text<Char>& out, const char* conversion, const std::tm& t) {
  if (!FieldsValid(t)) {
    out.push_back(static_cast<Char>('?'));  // the Windows runtime aborts on out-of-range fields
    return;
  }
  std::array<Char, 256> small{};
  std::size_t n = RuntimeFormat(small.data(), small.size(), conversion, t);
  if (n != 0) {
    out.append(small.data(), n);
    return;
  }
  Text<Char> big(4096, Char{});
  n = RuntimeFormat(big.data(), big.size(), conversion, t);
  out.append(big.data(), n);
}

template <typename Char>
void AppendFormatted(Text<Char>& out, TextView<Char> format, const std::tm& t);

// A format of this file's own, expanded into `out`.
template <typename Char>
void AppendAsciiFormatted(Text<Char>& out, std::string_view format, const std::tm& t) {
  const Text<Char> own = Ascii<Char>(format);
  AppendFormatted<Char>(out, own, t);
}

// Produces one conversion; false when the character is not one.
template <typename Char>
bool AppendConversion(Text<Char>& out, Char conversion, bool alternate, const std::tm& t) {
  const long long year = 1900LL + t.tm_year;
  const bool np = alternate;  // "#" drops leading zeros and blanks from numbers
  switch (conversion) {
    case 'a': AppendFromRuntime(out, "%a", t); return true;
    case 'A': AppendFromRuntime(out, "%A", t); return true;
    case 'b':
    case 'h': AppendFromRuntime(out, "%b", t); return true;
    case 'B': AppendFromRuntime(out, "%B", t); return true;
    case 'p': AppendFromRuntime(out, "%p", t); return true;
    case 'Z': AppendFromRuntime(out, "%Z", t); return true;
    case 'c':
      if (alternate) AppendAsciiFormatted(out, "%A, %B %#d, %Y %H:%M:%S", t);
      else if (ClassicTimeLocale()) AppendAsciiFormatted(out, "%a %b %e %H:%M:%S %Y", t);
      else AppendFromRuntime(out, "%c", t);
      return true;
    case 'x':
      if (alternate) AppendAsciiFormatted(out, "%A, %B %#d, %Y", t);
      else if (ClassicTimeLocale()) AppendAsciiFormatted(out, "%m/%d/%y", t);
      else AppendFromRuntime(out, "%x", t);
      return true;
    case 'X':
      if (ClassicTimeLocale()) AppendAsciiFormatted(out, "%H:%M:%S", t);
      else AppendFromRuntime(out, "%X", t);
      return true;
    case 'C': AppendNumber(out, year / 100 - (year % 100 < 0 ? 1 : 0), 2, '0', np); return true;
    case 'd': AppendNumber(out, t.tm_mday, 2, '0', np); return true;
    case 'e': AppendNumber(out, t.tm_mday, 2, ' ', np); return true;
    case 'H': AppendNumber(out, t.tm_hour, 2, '0', np); return true;
    case 'I': AppendNumber(out, t.tm_hour % 12 == 0 ? 12 : t.tm_hour % 12, 2, '0', np); return true;
    case 'j': AppendNumber(out, t.tm_yday + 1, 3, '0', np); return true;
    case 'm': AppendNumber(out, t.tm_mon + 1, 2, '0', np); return true;
    case 'M': AppendNumber(out, t.tm_min, 2, '0', np); return true;
    case 'S': AppendNumber(out, t.tm_sec, 2, '0', np); return true;
    case 'u': AppendNumber(out, t.tm_wday == 0 ? 7 : t.tm_wday, 1, '0', np); return true;
    case 'w': AppendNumber(out, t.tm_wday, 1, '0', np); return true;
    case 'U': AppendNumber(out, (t.tm_yday + 7 - t.tm_wday) / 7, 2, '0', np); return true;
    case 'W': AppendNumber(out, (t.tm_yday + 7 - (t.tm_wday + 6) % 7) / 7, 2, '0', np); return true;
    case 'V': AppendNumber(out, IsoWeekOf(t).week, 2, '0', np); return true;
    case 'G': AppendNumber(out, IsoWeekOf(t).year, 1, '0', np); return true;
    case 'g': AppendNumber(out, ((IsoWeekOf(t).year % 100) + 100) % 100, 2, '0', np); return true;
    case 'y': AppendNumber(out, ((year % 100) + 100) % 100, 2, '0', np); return true;
    case 'Y': AppendNumber(out, year, 1, '0', np); return true;
    case 'z': {
      // Offset from UTC: the local fields read as UTC, less the real instant.
      std::tm copy = t;
      const std::time_t instant = std::mktime(&copy);
      if (instant == static_cast<std::time_t>(-1)) return true;
      const long long asUtc =
          DaysFromCivil(year, static_cast<unsigned>(t.tm_mon + 1), static_cast<unsigned>(t.tm_mday)) *
              86400 + t.tm_hour * 3600LL + t.tm_min * 60LL + t.tm_sec;
      long long minutes = (asUtc - static_cast<long long>(instant)) / 60;
      out.push_back(static_cast<Char>(minutes < 0 ? '-' : '+'));
      if (minutes < 0) minutes = -minutes;
      AppendNumber(out, minutes / 60 * 100 + minutes % 60, 4, '0', false);
      return true;
    }
    case 'D': AppendAsciiFormatted(out, "%m/%d/%y", t); return true;
    case 'F': AppendAsciiFormatted(out, "%Y-%m-%d", t); return true;
    case 'T': AppendAsciiFormatted(out, "%H:%M:%S", t); return true;
    case 'R': AppendAsciiFormatted(out, "%H:%M", t); return true;
    case 'r': AppendAsciiFormatted(out, "%I:%M:%S %p", t); return true;
    case 'n': out.push_back(static_cast<Char>('\n')); return true;
    case 't': out.push_back(static_cast<Char>('\t')); return true;
    case '%': out.push_back(static_cast<Char>('%')); return true;
    default: return false;
  }
}

template <typename Char>
void AppendFormatted(Text<Char>& out, TextView<Char> format, const std::tm& t) {
  const std::size_t size = format.size();
  std::size_t i = 0;
  while (i < size) {
    const std::size_t percent = format.find(static_cast<Char>('%'), i);
    if (percent == TextView<Char>::npos) {
      out.append(format.substr(i));
      return;
    }
    out.append(format.substr(i, percent - i));
    std::size_t j = percent + 1;
    bool alternate = false;
    if (j < size && format[j] == '#') {
      alternate = true;
      ++j;
    } else if (j < size && (format[j] == 'E' || format[j] == 'O')) {
      ++j;  // C99 locale modifiers: the plain conversion is what both runtimes agree on
    }
    if (j >= size) {  // a "%" (or "%#") that ends the format
      out.append(format.substr(percent));
      return;
    }
    if (!AppendConversion(out, format[j], alternate, t)) out.append(format.substr(percent, j + 1 - percent));
    i = j + 1;
  }
}

template <typename Char>
Text<Char> Decimal(std::uint32_t value) {
  Text<Char> s;
  AppendNumber(s, value, 1, '0', false);
  return s;
}

template <typename Char>
Text<Char> Substitute(TextView<Char> format, const TickCountdown* countdown, std::uint32_t tickNow) {
  Text<Char> minutes = Ascii<Char>("0"), seconds = minutes, total = minutes;
  if (countdown != nullptr) {
    const std::uint32_t left = countdown->Remaining(tickNow) / 1000;
    minutes = Decimal<Char>(left / 60);
    seconds = Decimal<Char>(left % 60);
    total = Decimal<Char>(left);
  }
  Text<Char> text(format);
  ReplaceAll<Char>(text, Ascii<Char>("%Q"), minutes);
  ReplaceAll<Char>(text, Ascii<Char>("%q"), seconds);
  ReplaceAll<Char>(text, Ascii<Char>("%T"), total);
  return text;
}

template <typename Char>
Text<Char> Calendar(TextView<Char> format, const std::tm& local) {
  Text<Char> out;
  out.reserve(format.size() + format.size() / 2 + 8);
  AppendFormatted<Char>(out, format, local);
  return out;
}

}  // namespace

std::string TimeFormatter::SubstituteCountdown(std::string_view format, const TickCountdown* countdown,
                                               std::uint32_t tickNow) {
  return Substitute<char>(format, countdown, tickNow);
}

std::wstring TimeFormatter::SubstituteCountdown(std::wstring_view format, const TickCountdown* countdown,
                                                std::uint32_t tickNow) {
  return Substitute<wchar_t>(format, countdown, tickNow);
}

std::string TimeFormatter::FormatCalendar(std::string_view format, const std::tm& local) {
  return Calendar<char>(format, local);
}

std::wstring TimeFormatter::FormatCalendar(std::wstring_view format, const std::tm& local) {
  return Calendar<wchar_t>(format, local);
}

std::string TimeFormatter::Expand(std::string_view format, const std::tm& local, bool countdownVariant,
                                  const TickCountdown* countdown, std::uint32_t tickNow) {
  if (!countdownVariant) return FormatCalendar(format, local);
  return FormatCalendar(SubstituteCountdown(format, countdown, tickNow), local);
}

std::wstring TimeFormatter::Expand(std::wstring_view format, const std::tm& local, bool countdownVariant,
                                   const TickCountdown* countdown, std::uint32_t tickNow) {
  if (!countdownVariant) return FormatCalendar(format, local);
  return FormatCalendar(SubstituteCountdown(format, countdown, tickNow), local);
}

bool TimeFormatter::ShowsSeconds(std::string_view format) {
  // One moment and the next second, every other field alike (a Thursday, 15 January 2026, 12:34).
  std::tm first{};
  first.tm_year = 126;
  first.tm_mon = 0;
  first.tm_mday = 15;
  first.tm_wday = 4;
  first.tm_yday = 14;
  first.tm_hour = 12;
  first.tm_min = 34;
  first.tm_sec = 10;
  first.tm_isdst = -1;
  std::tm next = first;
  next.tm_sec = 11;
  return FormatCalendar(format, first) != FormatCalendar(format, next);
}
