#include "storage/profile_text.h"

#include <charconv>
#include <cmath>
#include <limits>

namespace ProfileText {

namespace {

bool IsSpace(char c) { return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r'; }

int HexDigit(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  return -1;
}

}  // namespace

std::int32_t ParseInt(std::string_view text) {
  std::size_t i = 0;
  while (i < text.size() && IsSpace(text[i])) ++i;
  bool negative = false;
  if (i < text.size() && (text[i] == '+' || text[i] == '-')) negative = text[i++] == '-';
  std::int64_t magnitude = 0;
  constexpr std::int64_t kLimit = std::int64_t{std::numeric_limits<std::int32_t>::max()} + 1;
  for (; i < text.size() && text[i] >= '0' && text[i] <= '9'; ++i) {
    magnitude = magnitude * 10 + (text[i] - '0');
    if (magnitude > kLimit) magnitude = kLimit;  // saturate; more digits change nothing
  }
  if (negative) return static_cast<std::int32_t>(-magnitude);
  return magnitude >= kLimit ? std::numeric_limits<std::int32_t>::max() : static_cast<std::int32_t>(magnitude);
}

float ParseFloat(std::string_view text) {
  std::size_t i = 0;
  while (i < text.size() && IsSpace(text[i])) ++i;
  bool negative = false;
  if (i < text.size() && (text[i] == '+' || text[i] == '-')) negative = text[i++] == '-';
  if (i < text.size() && text[i] == '-') return 0.0f;  // "+-1": nothing convertible
  double value = 0.0;
  const char* first = text.data() + i;
  const char* last = text.data() + text.size();
  const auto [end, ec] = std::from_chars(first, last, value, std::chars_format::general);
  if (end == first) return 0.0f;
  if (ec == std::errc::result_out_of_range) {
    // from_chars leaves `value` alone: tell overflow from underflow by the exponent.
    const std::string_view digits(first, static_cast<std::size_t>(end - first));
    const auto e = digits.find_first_of("eE");
    const bool tiny = e != std::string_view::npos && e + 1 < digits.size() && digits[e + 1] == '-';
    value = tiny ? 0.0 : std::numeric_limits<double>::infinity();
  }
  if (negative) value = -value;
  if (std::isfinite(value) && std::fabs(value) > std::numeric_limits<float>::max())
    value = std::copysign(std::numeric_limits<double>::infinity(), value);
  return static_cast<float>(value);
}

std::string FormatFloat(float value) {
  char buffer[64];
  const auto [end, ec] = std::to_chars(buffer, buffer + sizeof buffer, static_cast<double>(value),
                                       std::chars_format::fixed, 6);
  if (ec != std::errc()) return "0.000000";  // cannot happen: a float has at most 39 integer digits
  return std::string(buffer, end);
}

std::string HexEncode(const void* data, std::size_t size) {
  static const char kDigits[] = "0123456789ABCDEF";
  const auto* bytes = static_cast<const std::uint8_t*>(data);
  std::string hex(size * 2, '0');
  for (std::size_t i = 0; i < size; ++i) {
    hex[2 * i] = kDigits[bytes[i] >> 4];
    hex[2 * i + 1] = kDigits[bytes[i] & 0x0F];
  }
  return hex;
}

void HexDecode(std::string_view hex, std::uint8_t* out) {
  for (std::size_t i = 0; i + 1 < hex.size(); i += 2) {
    const int high = HexDigit(hex[i]);
    const int low = HexDigit(hex[i + 1]);
    if (high < 0) out[i / 2] = 0;
    else if (low < 0) out[i / 2] = static_cast<std::uint8_t>(high);
    else out[i / 2] = static_cast<std::uint8_t>(high * 16 + low);
  }
}

}  // namespace ProfileText
