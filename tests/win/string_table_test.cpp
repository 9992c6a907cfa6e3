#include "win/string_table.h"

#include <gtest/gtest.h>

#include "resource.h"

namespace {

TEST(StringTableFormat, ReplacesEachMarkOnceWithItsArgument) {
  const struct {
    std::string_view text;
    std::string_view first, second;
    std::string_view expected;
  } cases[] = {
      {"%1 is open", "\xE6\x97\xA5\xE6\x9C\xAC.txt", "", "\xE6\x97\xA5\xE6\x9C\xAC.txt is open"},
      {"%2 then %1", "a", "b", "b then a"},
      {"%1 and %1", "x", "", "x and x"},
      {"%1", "%2", "never", "%2"},          // an argument's own marks stay as they are
      {"100%% %1 %3 %", "a", "b", "100%% a %3 %"},  // no such argument, a lone "%": kept
  };
  for (const auto& c : cases) EXPECT_EQ(StringTable::FormatText(c.text, {c.first, c.second}), c.expected) << c.text;
}

TEST(StringTableFormat, LoadsTheResourceTextWhole) {
  EXPECT_FALSE(StringTable::Load(IDS_INPUT_ERROR).empty());
  EXPECT_TRUE(StringTable::Load(65000).empty());
}

}  // namespace
