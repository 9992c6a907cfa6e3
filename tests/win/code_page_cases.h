// Texts and their bytes in the code pages stored files meet, shared by the test of the
// C library's conversion (natively) and of Windows' own (under Wine).
#pragma once

#include <string_view>

namespace code_page_cases {

struct Exact {
  unsigned page;
  std::string_view text;   // UTF-8
  std::string_view bytes;  // in the page
};

// Each converts both ways, exactly.
inline constexpr Exact kExact[] = {
    {1252, "plain ASCII", "plain ASCII"},
    {1252, "Caf\xC3\xA9 \xE2\x82\xAC 5", "Caf\xE9 \x80 5"},           // é, € (0x80 in 1252, not Latin-1)
    {1252, "\xC3\x9F\xC3\xBF", "\xDF\xFF"},                             // ß ÿ
    {932, "\xE6\x97\xA5\xE6\x9C\xAC", "\x93\xFA\x96\x7B"},             // 日本
    {932, "\xE8\xA1\xA8\\x", "\x95\x5C\x5Cx"},                          // 表: its second byte is '\'
    {932, "\xEF\xBD\xB1", "\xB1"},                                      // half-width katakana: one byte
    {65001, "\xF0\x9F\x98\x80 \xD0\x96", "\xF0\x9F\x98\x80 \xD0\x96"},  // emoji, Cyrillic
};

struct Refused {
  unsigned page;
  std::string_view text;  // UTF-8 with a character the page cannot hold exactly
};

// No best fit: each must be refused, never turned into "?" or a look-alike letter.
inline constexpr Refused kRefused[] = {
    {1252, "\xD0\x96"},                  // Cyrillic Ж
    {1252, "\xE6\x97\xA5"},              // 日
    {1252, "\xF0\x9F\x98\x80"},          // emoji
    {1252, "\xEF\xBD\x86ull"},           // full-width f: best fit would make it "full"
    {1252, "\xC4\x80"},                  // Ā: best fit would make it "A"
    {932, "\xC3\xA9"},                   // é
    {932, "\xF0\x9F\x98\x80"},           // emoji
    {1252, "\xC3"},                      // not UTF-8 at all
};

}  // namespace code_page_cases
