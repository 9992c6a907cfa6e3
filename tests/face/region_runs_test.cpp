#include "face/region_runs.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

namespace {

constexpr std::uint32_t kKey = 0x00332211;  // blue 0x33, green 0x22, red 0x11
constexpr std::uint8_t kPadding = 0xAB;     // what unused row bytes hold: never a key colour

// A bottom-up 24-bit buffer from rows written top row first; 'k' is the key colour,
// any other letter a colour that differs from it.
std::vector<std::uint8_t> Image(const std::vector<std::string>& topDown, std::size_t& stride) {
  const auto width = static_cast<std::int32_t>(topDown.front().size());
  stride = RegionRuns::Stride(width, 24);
  std::vector<std::uint8_t> bits(stride * topDown.size(), kPadding);
  for (std::size_t line = 0; line < topDown.size(); ++line) {
    const std::string& row = topDown[topDown.size() - 1 - line];  // memory holds the bottom row first
    for (std::size_t x = 0; x < row.size(); ++x) {
      std::uint8_t* p = &bits[line * stride + 3 * x];
      if (row[x] == 'k') { p[0] = 0x33; p[1] = 0x22; p[2] = 0x11; }
      else { p[0] = 0xFF; p[1] = 0xFF; p[2] = 0xFF; }
    }
  }
  return bits;
}

struct RunCase {
  const char* name;
  std::vector<std::string> rows;  // top row first
  std::vector<RunRect> expected;  // in visiting order
  RunRect bound;
};

class RegionRunsTable : public ::testing::TestWithParam<RunCase> {};

TEST_P(RegionRunsTable, RunsAndBound) {
  const RunCase& c = GetParam();
  std::size_t stride = 0;
  const auto bits = Image(c.rows, stride);
  RegionRuns runs;
  const auto w = static_cast<std::int32_t>(c.rows.front().size());
  const auto h = static_cast<std::int32_t>(c.rows.size());
  ASSERT_EQ(runs.Scan(bits, w, h, stride, kKey), !c.expected.empty());
  EXPECT_EQ(runs.rects(), c.expected);
  if (!c.expected.empty()) EXPECT_EQ(runs.bound(), c.bound);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, RegionRunsTable,
    ::testing::Values(
        RunCase{"KeyOtherOtherKey", {"kook"}, {{1, 0, 3, 1}}, {1, 0, 3, 1}},
        // Rows are visited bottom-up; coordinates have y growing downwards.
        RunCase{"ThreeByTwoInVisitingOrder", {"ooo", "oko"}, {{0, 1, 1, 2}, {2, 1, 3, 2}, {0, 0, 3, 1}}, {0, 0, 3, 2}},
        // 5 pixels = 15 bytes, one byte of padding that is not the key: the run stops at the edge.
        RunCase{"RunEndsAtTheRightEdge", {"kkooo"}, {{2, 0, 5, 1}}, {2, 0, 5, 1}},
        RunCase{"RunsNeverJoinAcrossRows", {"ook", "koo"}, {{1, 1, 3, 2}, {0, 0, 2, 1}}, {0, 0, 3, 2}},
        RunCase{"AlternatingPixels", {"okoko"}, {{0, 0, 1, 1}, {2, 0, 3, 1}, {4, 0, 5, 1}}, {0, 0, 5, 1}},
        RunCase{"OnlyTheTopRow", {"kok", "kkk", "kkk"}, {{1, 0, 2, 1}}, {1, 0, 2, 1}},
        RunCase{"AllKey", {"kkkk", "kkkk"}, {}, {}}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(RegionRuns, StridePadsRowsToFourBytes) {
  EXPECT_EQ(RegionRuns::Stride(1, 24), 4u);
  EXPECT_EQ(RegionRuns::Stride(4, 24), 12u);
  EXPECT_EQ(RegionRuns::Stride(5, 24), 16u);
  EXPECT_EQ(RegionRuns::Stride(400, 24), 1200u);
  EXPECT_EQ(RegionRuns::Stride(401, 24), 1204u);
  EXPECT_EQ(RegionRuns::Stride(0, 24), 0u);
}

TEST(RegionRuns, OneStepFromTheKeyInAnyChannelIsOpaque) {
  // Channel order in memory is blue, green, red; the key is 0x00BBGGRR.
  const std::uint8_t near[][3] = {{0x34, 0x22, 0x11}, {0x33, 0x21, 0x11}, {0x33, 0x22, 0x12}};
  for (const auto& pixel : near) {
    std::vector<std::uint8_t> bits{0x33, 0x22, 0x11, pixel[0], pixel[1], pixel[2], 0x33, 0x22, 0x11, 0, 0, 0};
    RegionRuns runs;
    ASSERT_TRUE(runs.Scan(bits, 3, 1, 12, kKey));
    EXPECT_EQ(runs.rects(), (std::vector<RunRect>{{1, 0, 2, 1}}));
  }
  // The same bytes in red-green-blue order are a different colour.
  std::vector<std::uint8_t> swapped{0x11, 0x22, 0x33, 0, 0, 0, 0, 0};
  RegionRuns runs;
  EXPECT_TRUE(runs.Scan(swapped, 2, 1, 8, kKey));
  EXPECT_EQ(runs.rects().front(), (RunRect{0, 0, 2, 1}));
}

TEST(RegionRuns, PaddingIsNeverRead) {
  // The last row in memory ends the buffer exactly; its padding byte lies inside, after the last pixel.
  for (std::uint8_t padding : {std::uint8_t{0x00}, std::uint8_t{0x33}, std::uint8_t{0xFF}}) {
    std::vector<std::uint8_t> bits = {0x33, 0x22, 0x11, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, padding,
                                      0, 0, 0, 0x33, 0x22, 0x11, 0x33, 0x22, 0x11, 0, 0, 0, 0, 0, 0, padding};
    RegionRuns runs;
    ASSERT_TRUE(runs.Scan(bits, 5, 2, 16, kKey));
    EXPECT_EQ(runs.rects(), (std::vector<RunRect>{{1, 1, 5, 2}, {0, 0, 1, 1}, {3, 0, 5, 1}}));
  }
}

TEST(RegionRuns, RefusesABufferSmallerThanItsDimensions) {
  std::vector<std::uint8_t> bits(12 * 2 - 1, 0xFF);
  RegionRuns runs;
  EXPECT_FALSE(runs.Scan(bits, 4, 2, 12, kKey));
  EXPECT_FALSE(runs.Scan(bits, 4, 1, 11, kKey)) << "a stride shorter than the pixels";
  EXPECT_FALSE(runs.Scan(bits, 0, 1, 12, kKey));
  EXPECT_FALSE(runs.Scan(bits, 4, -1, 12, kKey));
  EXPECT_TRUE(runs.rects().empty());
}

TEST(RegionRuns, AScanForgetsThePreviousOne) {
  std::size_t stride = 0;
  RegionRuns runs;
  const auto lit = Image({"oooo"}, stride);
  const auto dark = Image({"kkkk"}, stride);
  ASSERT_TRUE(runs.Scan(lit, 4, 1, stride, kKey));
  EXPECT_FALSE(runs.Scan(dark, 4, 1, stride, kKey));
  EXPECT_TRUE(runs.rects().empty());
}

}  // namespace
