// Text forms of stored values shared by both stores: integers read as atoi
// reads them, floats written as "%f" writes them, bytes as uppercase hex pairs.
// None of them depends on the C runtime's locale.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace ProfileText {

// Leading white space, an optional sign and decimal digits; stops at the first
// other character; no digits give 0. Values beyond 32 bits saturate.
std::int32_t ParseInt(std::string_view text);

// As atof: leading white space, then the longest decimal (or "inf"/"nan")
// prefix; nothing convertible gives 0. Values beyond a float's range give
// an infinity.
float ParseFloat(std::string_view text);

// Six decimals, as "%f" in the C locale: 1.5 -> "1.500000".
std::string FormatFloat(float value);

// Two uppercase hexadecimal digits per byte, in byte order, no separators.
std::string HexEncode(const void* data, std::size_t size);

// Decodes hex.size() / 2 pairs into `out`. A pair is read as strtoul reads
// base 16 within those two characters: its leading hex digits (either case),
// 0 when it starts with anything else.
void HexDecode(std::string_view hex, std::uint8_t* out);

}  // namespace ProfileText
