#include "win/monitor_fit.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <optional>
#include <string>

namespace {

constexpr ScreenRect kWork{0, 0, 1024, 768};
constexpr ScreenRect kTopBarWork{0, 30, 1024, 768};

struct FitCase {
  const char* name;
  ScreenRect monitor;
  ScreenRect window;
  bool force;
  std::optional<ScreenRect> placed;  // none: the window stays
};

class MonitorFitTable : public ::testing::TestWithParam<FitCase> {};

TEST_P(MonitorFitTable, Place) {
  const FitCase& c = GetParam();
  ScreenRect placed{-1, -1, -1, -1};
  const bool moved = MonitorFit::Place(c.monitor, c.window, c.force, placed);
  ASSERT_EQ(moved, c.placed.has_value());
  if (moved) EXPECT_EQ(placed, *c.placed);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, MonitorFitTable,
    ::testing::Values(
        FitCase{"ForcedLeftOverhangMovesWithoutResizing", kWork, {-100, 50, 400, 350}, true, ScreenRect{0, 50, 500, 350}},
        FitCase{"ForcedWiderThanTheMonitorIsCut", kWork, {100, 50, 1300, 150}, true, ScreenRect{0, 50, 1024, 150}},
        FitCase{"ForcedRightOverhangIsPushedLeft", kWork, {700, 100, 1200, 300}, true, ScreenRect{524, 100, 1024, 300}},
        FitCase{"ForcedBottomOverhangIsPushedUp", kWork, {10, 700, 210, 800}, true, ScreenRect{10, 668, 210, 768}},
        FitCase{"ForcedTallerThanTheMonitor", kTopBarWork, {10, 0, 110, 900}, true, ScreenRect{10, 30, 110, 768}},
        FitCase{"ForcedInsideStaysPut", kWork, {10, 20, 110, 120}, true, ScreenRect{10, 20, 110, 120}},
        FitCase{"UnforcedPartlyOutsideStays", kWork, {-100, 50, 400, 350}, false, std::nullopt},
        FitCase{"UnforcedInsideStays", kWork, {10, 20, 110, 120}, false, std::nullopt},
        // A window left on a monitor that is gone lies wholly outside: it comes back.
        FitCase{"UnforcedBeyondTheRightComesBack", kWork, {1500, 100, 2000, 300}, false, ScreenRect{524, 100, 1024, 300}},
        FitCase{"UnforcedBeyondTheLeftComesBack", kWork, {-800, 100, -300, 300}, false, ScreenRect{0, 100, 500, 300}},
        FitCase{"UnforcedUnderTheTopBarComesDown", kTopBarWork, {100, 0, 300, 30}, false, ScreenRect{100, 30, 300, 60}},
        FitCase{"UnforcedTouchingTheEdgeOnlyIsOutside", kWork, {1024, 0, 1124, 100}, false, ScreenRect{924, 0, 1024, 100}},
        FitCase{"NoMonitorInformationMovesNothing", {0, 0, 0, 0}, {-100, 50, 400, 350}, true, std::nullopt}),
    [](const auto& info) { return std::string(info.param.name); });

}  // namespace

namespace {

// A 1920 x 1080 monitor with its taskbar at the bottom, the top or the left.
constexpr ScreenRect kMonitor{0, 0, 1920, 1080};
constexpr ScreenRect kBottomBar{0, 0, 1920, 1040};
constexpr ScreenRect kTopBar{0, 40, 1920, 1080};
constexpr ScreenRect kLeftBar{60, 0, 1920, 1080};

struct ReachCase {
  const char* name;
  ScreenRect work;
  ScreenRect window;
  std::int32_t minVisible;           // 16 pixels at 96 DPI, scaled
  std::optional<ScreenRect> placed;  // none: the window stays
};

class MonitorFitReach : public ::testing::TestWithParam<ReachCase> {};

TEST_P(MonitorFitReach, KeepInReach) {
  const ReachCase& c = GetParam();
  ScreenRect placed{-1, -1, -1, -1};
  const bool moved = MonitorFit::KeepInReach(kMonitor, c.work, c.window, c.minVisible, placed);
  ASSERT_EQ(moved, c.placed.has_value());
  if (moved) EXPECT_EQ(placed, *c.placed);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, MonitorFitReach,
    ::testing::Values(
        // A clock laid over the taskbar is where its user put it.
        ReachCase{"OverABottomTaskbarIsKept", kBottomBar, {1500, 1040, 1900, 1080}, 16, std::nullopt},
        ReachCase{"OverATopTaskbarIsKept", kTopBar, {100, 0, 500, 40}, 16, std::nullopt},
        ReachCase{"OverALeftTaskbarIsKept", kLeftBar, {0, 300, 60, 400}, 16, std::nullopt},
        ReachCase{"HalfOffTheEdgeIsKept", kBottomBar, {-200, 100, 200, 300}, 16, std::nullopt},
        ReachCase{"ExactlyTheLeastVisibleIsKept", kBottomBar, {-384, 100, 16, 300}, 16, std::nullopt},
        ReachCase{"LargerThanTheMonitorIsKept", kBottomBar, {-100, -100, 2100, 1200}, 16, std::nullopt},
        // Left on a monitor that is gone: wholly off this one, it comes into the work area.
        ReachCase{"OnAMonitorThatIsGoneComesBack", kBottomBar, {2500, 100, 2900, 300}, 16,
                  ScreenRect{1520, 100, 1920, 300}},
        ReachCase{"AboveEveryMonitorComesBelowATopTaskbar", kTopBar, {100, -500, 500, -300}, 16,
                  ScreenRect{100, 40, 500, 240}},
        ReachCase{"BelowEveryMonitorComesAboveABottomTaskbar", kBottomBar, {100, 1200, 500, 1400}, 16,
                  ScreenRect{100, 840, 500, 1040}},
        // A sliver cannot be taken hold of: it comes back as one wholly off.
        ReachCase{"TwoPixelsAcrossComeBack", kBottomBar, {-398, 100, 2, 300}, 16, ScreenRect{0, 100, 400, 300}},
        ReachCase{"TwoPixelsDownComeBack", kBottomBar, {300, 1078, 700, 1278}, 16, ScreenRect{300, 840, 700, 1040}},
        ReachCase{"TwoPixelsDownOverATopTaskbarComeBelowIt", kTopBar, {300, -198, 700, 2}, 16,
                  ScreenRect{300, 40, 700, 240}},
        ReachCase{"FifteenPixelsComeBack", kLeftBar, {1905, 100, 2305, 300}, 16, ScreenRect{1520, 100, 1920, 300}},
        // At 144 DPI the least is 24 pixels: 20 are a sliver there.
        ReachCase{"TwentyPixelsAt144DpiComeBack", kBottomBar, {-380, 100, 20, 300}, 24, ScreenRect{0, 100, 400, 300}},
        ReachCase{"TwentyFourPixelsAt144DpiAreKept", kBottomBar, {-376, 100, 24, 300}, 24, std::nullopt}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(MonitorFitReach, NoMonitorInformationMovesNothing) {
  ScreenRect placed{};
  EXPECT_FALSE(MonitorFit::KeepInReach({0, 0, 0, 0}, {0, 0, 0, 0}, {5000, 5000, 5400, 5200}, 16, placed));
}

}  // namespace

namespace {

// A new counter or message window opens beside the clock, never over it.
TEST(MonitorFitBeside, OpensBesideTheClockWhereTheWorkAreaHasRoom) {
  constexpr ScreenRect kWork{0, 0, 1920, 1040};
  using Side = MonitorFit::Side;
  const struct {
    const char* name;
    ScreenRect clock;
    Side side;
    ScreenRect placed;
  } cases[] = {
      {"below a clock at the first start's corner", {0, 0, 400, 200}, Side::kBelow, {0, 200, 480, 400}},
      {"right of it", {0, 0, 400, 200}, Side::kRight, {400, 0, 880, 200}},
      {"above a clock at the bottom", {100, 900, 500, 1040}, Side::kBelow, {100, 700, 580, 900}},
      {"left of a clock at the right edge", {1600, 100, 1920, 300}, Side::kRight, {1120, 100, 1600, 300}},
      {"exactly room below", {0, 640, 400, 840}, Side::kBelow, {0, 840, 480, 1040}},
  };
  for (const auto& c : cases) {
    const ScreenRect placed = MonitorFit::Beside(c.clock, 480, 200, kWork, c.side);
    EXPECT_EQ(placed, c.placed) << c.name;
    const bool overlaps = std::max(placed.left, c.clock.left) < std::min(placed.right, c.clock.right) &&
                          std::max(placed.top, c.clock.top) < std::min(placed.bottom, c.clock.bottom);
    EXPECT_FALSE(overlaps) << c.name;
  }
}

}  // namespace
