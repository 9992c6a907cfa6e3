#include "win/ansi_code_page.h"

#include <gtest/gtest.h>

#include <string>

#include "win/code_page_cases.h"
#include "win/wide_text.h"

namespace {

TEST(AnsiCodePage, ConvertsExactlyBothWaysOrRefusesWithoutBestFit) {
  for (const auto& c : code_page_cases::kExact) {
    const AnsiCodePage page(c.page);
    std::string text, bytes;
    EXPECT_TRUE(page.ToUtf8(c.bytes, text)) << c.page << " " << c.text;
    EXPECT_EQ(text, c.text);
    EXPECT_TRUE(page.FromUtf8(c.text, bytes)) << c.page << " " << c.text;
    EXPECT_EQ(bytes, c.bytes);
  }
  for (const auto& c : code_page_cases::kRefused) {
    std::string bytes;
    EXPECT_FALSE(AnsiCodePage(c.page).FromUtf8(c.text, bytes)) << c.page << " " << c.text;
  }
}

TEST(AnsiCodePage, ALeadByteWithoutItsTrailIsNoText) {
  std::string text;
  EXPECT_FALSE(AnsiCodePage(932).ToUtf8("\x93", text));
}

TEST(WideText, WindowTextsCarryEveryCharacter) {
  HWND edit = ::CreateWindowExW(0, L"EDIT", L"", WS_POPUP, 0, 0, 100, 20, nullptr, nullptr, nullptr, nullptr);
  ASSERT_NE(edit, nullptr);
  const std::string text = "\xF0\x9F\x98\x80 \xE6\x97\xA5\xE6\x9C\xAC \xD0\x96 \xEF\xBD\x86ull";
  EXPECT_TRUE(WideText::SetWindow(edit, text));
  EXPECT_EQ(WideText::OfWindow(edit), text);
  wchar_t raw[16] = {};
  ::GetWindowTextW(edit, raw, 16);
  EXPECT_EQ(std::wstring(raw), WideText::From(text));
  ::DestroyWindow(edit);
}

}  // namespace
