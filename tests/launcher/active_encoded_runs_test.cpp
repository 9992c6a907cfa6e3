#include "launcher/active_encoded_runs.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <memory>
#include <optional>
#include <thread>
#include <vector>

namespace {

TEST(WaitForEncodedRuns, ReturnsAtOnceWhenNoneRuns) {
  ASSERT_EQ(ActiveEncodedRuns(), 0);
  EXPECT_TRUE(WaitForEncodedRuns(0));
  EXPECT_TRUE(WaitForEncodedRuns(60000));  // would hang the test if it waited
}

TEST(WaitForEncodedRuns, WakesWhenTheLastOfSeveralRunsEnds) {
  // Three watchers whose programs end one after another; the wait ends with the last.
  std::atomic<int> ended{0};
  std::vector<std::thread> watchers;
  for (int i = 0; i < 3; ++i) {
    auto counted = std::make_shared<EncodedRunCount>();
    watchers.emplace_back([counted, i, &ended]() mutable {
      std::this_thread::sleep_for(std::chrono::milliseconds(30 * (i + 1)));
      ended.fetch_add(1);
      counted.reset();
    });
  }
  EXPECT_EQ(ActiveEncodedRuns(), 3);
  EXPECT_TRUE(WaitForEncodedRuns(60000));
  EXPECT_EQ(ended.load(), 3);
  EXPECT_EQ(ActiveEncodedRuns(), 0);
  for (std::thread& t : watchers) t.join();
}

TEST(WaitForEncodedRuns, GivesUpAfterItsTimeWhileARunGoesOn) {
  std::optional<EncodedRunCount> running;
  running.emplace();
  const auto start = std::chrono::steady_clock::now();
  EXPECT_FALSE(WaitForEncodedRuns(50));
  EXPECT_GE(std::chrono::steady_clock::now() - start, std::chrono::milliseconds(45));
  EXPECT_EQ(ActiveEncodedRuns(), 1) << "waiting changes nothing";
  running.reset();
  EXPECT_TRUE(WaitForEncodedRuns(0));
}

}  // namespace
