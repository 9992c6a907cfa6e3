#include "win/monitor_fit.h"

#include <gtest/gtest.h>

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
