#include "win/code_page.h"

#include <gtest/gtest.h>

#include <string>

#include "win/code_page_cases.h"

namespace {

TEST(CodePageUtf16, RoundTripsEveryKindOfCharacter) {
  const struct {
    std::string_view utf8;
    std::u16string_view utf16;
  } cases[] = {
      {"", u""},
      {"abc", u"abc"},
      {"\xC3\xA9", u"\u00E9"},
      {"\xE6\x97\xA5\xE6\x9C\xAC", u"\u65E5\u672C"},
      {"\xF0\x9F\x98\x80", u"\U0001F600"},                       // a pair of surrogates
      {"\xF4\x8F\xBF\xBF", u"\U0010FFFF"},                       // the last code point
      {"\xED\xA0\x80", std::u16string_view(u"\xD800", 1)},       // a lone high surrogate: a file name may hold one
      {"a\xED\xBF\xBF", std::u16string_view(u"a\xDFFF", 2)},     // a lone low one
      {std::string_view("a\0b", 3), std::u16string_view(u"a\0b", 3)},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(CodePage::Utf8ToUtf16(c.utf8), c.utf16) << c.utf8;
    EXPECT_EQ(CodePage::Utf16ToUtf8(c.utf16), c.utf8) << c.utf8;
  }
}

TEST(CodePageUtf16, IllFormedBytesBecomeReplacementCharactersAndNothingIsReadPastTheEnd) {
  const struct {
    std::string_view utf8;
    std::u16string_view utf16;
  } cases[] = {
      {"\xC3", u"\uFFFD"},                      // cut short at the end
      {"\xE6\x97", u"\uFFFD\uFFFD"},
      {"\xC0\xAF", u"\uFFFD\uFFFD"},            // overlong '/': never a separator
      {"\xE0\x80\xAF", u"\uFFFD\uFFFD\uFFFD"},  // overlong again
      {"\xF4\x90\x80\x80", u"\uFFFD\uFFFD\uFFFD\uFFFD"},  // beyond U+10FFFF
      {"\xFF" "a", u"\uFFFDa"},
      {"\x80" "b", u"\uFFFDb"},
  };
  for (const auto& c : cases) EXPECT_EQ(CodePage::Utf8ToUtf16(c.utf8), c.utf16);
}

TEST(CodePageUtf8, TellsWellFormedFromIllFormed) {
  EXPECT_TRUE(CodePage::IsUtf8(""));
  EXPECT_TRUE(CodePage::IsUtf8("plain"));
  EXPECT_TRUE(CodePage::IsUtf8("\xF0\x9F\x98\x80\xE6\x97\xA5"));
  EXPECT_FALSE(CodePage::IsUtf8("Caf\xE9"));           // a 1252 file
  EXPECT_FALSE(CodePage::IsUtf8("\x93\xFA\x96\x7B"));  // a 932 file
  EXPECT_FALSE(CodePage::IsUtf8("\xED\xA0\x80"));      // surrogates are no text of a file
  EXPECT_FALSE(CodePage::IsUtf8("\xC0\x80"));
  EXPECT_TRUE(CodePage::IsAscii("plain [x]=1"));
  EXPECT_FALSE(CodePage::IsAscii("\xC3\xA9"));
}

#ifndef _WIN32
TEST(CodePageNative, ConvertsExactlyBothWaysOrRefuses) {
  for (const auto& c : code_page_cases::kExact) {
    const auto page = CodePage::Native(c.page);
    ASSERT_NE(page, nullptr) << c.page;
    std::string text, bytes;
    EXPECT_TRUE(page->ToUtf8(c.bytes, text)) << c.page << " " << c.text;
    EXPECT_EQ(text, c.text);
    EXPECT_TRUE(page->FromUtf8(c.text, bytes)) << c.page << " " << c.text;
    EXPECT_EQ(bytes, c.bytes);
  }
  for (const auto& c : code_page_cases::kRefused) {
    std::string bytes = "untouched";
    EXPECT_FALSE(CodePage::Native(c.page)->FromUtf8(c.text, bytes)) << c.page << " " << c.text;
  }
}
#endif

}  // namespace
