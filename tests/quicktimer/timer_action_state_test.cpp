#include "quicktimer/timer_action_state.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "quicktimer/poll_running.h"

namespace {

// Windows that the "user" can dismiss; every effect is written to a log.
class ScriptHost : public ActionHost {
 public:
  struct FakeWindow {
    bool exists = false;
    bool visible = false;
    bool inverted = false;
    bool okShown = false;
  };

  explicit ScriptHost(std::string tag = "") : tag_(std::move(tag)) {}

  std::vector<std::string> log;
  FakeWindow windows[2];
  bool failCreation = false;

  void Dismiss(WindowKind kind) { windows[kind].visible = false; }
  std::vector<std::string> Take() { return std::exchange(log, {}); }

  bool HasWindow(WindowKind kind) override { return windows[kind].exists; }
  bool IsWindowShown(WindowKind kind) override { return windows[kind].exists && windows[kind].visible; }
  void OpenWindow(WindowKind kind) override {
    FakeWindow& w = windows[kind];
    if (!w.exists && !failCreation) {
      w = FakeWindow{true, true, false, false};
      Log("open " + Name(kind));
    }
  }
  void RefreshCounter() override { Log("count"); }
  void FlashWindow(WindowKind kind) override {
    FakeWindow& w = windows[kind];
    w.inverted = !w.inverted;
    w.okShown = true;
    Log("flash " + Name(kind) + (w.inverted ? " inverted" : " normal"));
  }
  void CloseWindow(WindowKind kind) override {
    if (windows[kind].exists) Log("close " + Name(kind));
    windows[kind] = FakeWindow{};
  }
  void StartSound(const std::string& wave) override { Log("sound " + wave); }
  void StopSound() override { Log("silence"); }
  bool StartApplication(const std::string& app, const std::string& param) override {
    Log("run " + app + " " + param);
    return true;
  }

 private:
  static std::string Name(WindowKind kind) { return kind == kCounter ? "counter" : "message"; }
  void Log(const std::string& s) { log.push_back(tag_ + s); }
  std::string tag_;
};

using Log = std::vector<std::string>;

TimerActionState Entry(std::uint32_t flags, std::uint32_t duration, std::uint32_t start) {
  TimerActionState e;
  e.flags = flags;
  e.countdown = {duration, start};
  e.wave = "bell.wav";
  e.soundTime.duration = 1200;
  e.app = "tool.exe";
  e.param = "tool.exe --mark";
  return e;
}

TEST(TimerActionStep, ApplicationOnlyStartsAndEndsOnTheExpiryTick) {
  TimerActionState e = Entry(0x8, 1000, 5000);
  ScriptHost host;
  EXPECT_TRUE(e.Step(5500, host));
  EXPECT_EQ(host.Take(), Log{});
  EXPECT_FALSE(e.Step(6000, host));
  EXPECT_EQ(host.Take(), Log{"run tool.exe tool.exe --mark"});
  EXPECT_EQ(e.flags, 0u);
}

TEST(TimerActionStep, SoundOnlyLoopsForItsPlayTime) {
  TimerActionState e = Entry(0x4, 1000, 5000);
  ScriptHost host;
  EXPECT_TRUE(e.Step(5500, host));
  EXPECT_EQ(host.Take(), Log{});
  EXPECT_TRUE(e.Step(6000, host));  // expiry: the loop starts
  EXPECT_EQ(host.Take(), Log{"sound bell.wav"});
  EXPECT_EQ(e.soundTime.start, 6000u);
  EXPECT_TRUE(e.Step(6500, host));
  EXPECT_TRUE(e.Step(7000, host));  // 1000 ms of 1200 played
  EXPECT_EQ(host.Take(), Log{});
  EXPECT_FALSE(e.Step(7500, host));  // the first tick past the play time
  EXPECT_EQ(host.Take(), Log{"silence"});
  EXPECT_FALSE(e.IsSoundPlaying());
}

TEST(TimerActionStep, CounterAndMessageWindowsFlashUntilDismissed) {
  TimerActionState e = Entry(0x1 | 0x2, 1000, 100);
  ScriptHost host;
  EXPECT_TRUE(e.Step(100, host));
  EXPECT_EQ(host.Take(), (Log{"open counter", "count"}));
  EXPECT_TRUE(e.Step(600, host));
  EXPECT_EQ(host.Take(), Log{"count"});
  // Expiry: the counter flashes, the message window opens and flashes.
  EXPECT_TRUE(e.Step(1100, host));
  EXPECT_EQ(host.Take(), (Log{"flash counter inverted", "open message", "flash message inverted"}));
  EXPECT_TRUE(host.windows[0].okShown && host.windows[1].okShown);
  EXPECT_TRUE(e.Step(1600, host));
  EXPECT_EQ(host.Take(), (Log{"flash counter normal", "flash message normal"}));
  // The user presses OK in the counter window: it is destroyed at the next tick.
  host.Dismiss(ActionHost::kCounter);
  EXPECT_TRUE(e.Step(2100, host));
  EXPECT_EQ(host.Take(), (Log{"close counter", "flash message inverted"}));
  EXPECT_EQ(e.flags, 0x2u);
  host.Dismiss(ActionHost::kMessage);
  EXPECT_FALSE(e.Step(2600, host));
  EXPECT_EQ(host.Take(), Log{"close message"});
}

TEST(TimerActionStep, CounterDismissedWhileCountingEndsThatActionOnly) {
  TimerActionState e = Entry(0x1 | 0x2, 1000, 100);
  ScriptHost host;
  e.Step(200, host);
  host.Dismiss(ActionHost::kCounter);
  host.Take();
  EXPECT_TRUE(e.Step(700, host));
  EXPECT_EQ(host.Take(), Log{"close counter"});
  EXPECT_EQ(e.flags, 0x2u);
  EXPECT_TRUE(e.Step(1200, host));
  EXPECT_EQ(host.Take(), (Log{"open message", "flash message inverted"}));
}

TEST(TimerActionStep, FlagsChangedWhileRunning) {
  TimerActionState e = Entry(0x1 | 0x2, 10000, 100);
  ScriptHost host;
  e.Step(200, host);
  host.Take();
  e.flags &= ~0x1u;  // switched off in the cell menu: the window goes at the next tick
  EXPECT_TRUE(e.Step(700, host));
  EXPECT_EQ(host.Take(), Log{"close counter"});
  e.flags |= 0x1;  // and on again: it comes back
  EXPECT_TRUE(e.Step(1200, host));
  EXPECT_EQ(host.Take(), (Log{"open counter", "count"}));
  e.flags = 0;
  EXPECT_FALSE(e.Step(1700, host));
  EXPECT_EQ(host.Take(), Log{"close counter"});
}

TEST(TimerActionStep, CounterFlagClearedAfterExpiryLeavesTheWindowStill) {
  TimerActionState e = Entry(0x1 | 0x2, 1000, 100);
  ScriptHost host;
  e.Step(200, host);
  e.Step(1100, host);
  host.Take();
  e.flags &= ~0x1u;
  EXPECT_TRUE(e.Step(1600, host));
  EXPECT_EQ(host.Take(), Log{"flash message normal"});
  EXPECT_TRUE(host.windows[0].exists);
  EXPECT_TRUE(host.windows[0].inverted);  // no longer flashing
}

TEST(TimerActionStep, ExpiryIsMeasuredAcrossTheTickWrap) {
  struct Case {
    const char* name;
    std::uint32_t duration, start, now;
    bool expired;
  } const cases[] = {
      {"start 0xFFFFFF00, now 0x100: 512 ms", 1000, 0xFFFFFF00u, 0x100, false},
      {"512 ms of 512", 512, 0xFFFFFF00u, 0x100, true},
      {"duration 0 expires on the first tick", 0, 7000, 7000, true},
      {"one millisecond short", 1000, 7000, 7999, false},
      {"exactly the duration", 1000, 7000, 8000, true},
  };
  for (const Case& c : cases) {
    TimerActionState e = Entry(0x8, c.duration, c.start);
    ScriptHost host;
    EXPECT_EQ(e.Step(c.now, host), !c.expired) << c.name;
    EXPECT_EQ(host.log.size(), c.expired ? 1u : 0u) << c.name;
  }
}

TEST(TimerActionStep, AllActionsInTheirOrderOnTheExpiryTick) {
  TimerActionState e = Entry(0xF | 0x100, 0, 50);  // 0x100 means nothing and stays
  ScriptHost host;
  EXPECT_TRUE(e.Step(50, host));
  // No counter window was ever opened: there is nothing to flash, so that action ends.
  EXPECT_EQ(host.Take(), (Log{"open message", "flash message inverted", "sound bell.wav",
                              "run tool.exe tool.exe --mark"}));
  EXPECT_EQ(e.flags, 0x100u | 0x2 | 0x4);
}

TEST(TimerActionStep, MessageWindowThatCannotBeCreatedEndsItsAction) {
  TimerActionState e = Entry(0x2, 0, 50);
  ScriptHost host;
  host.failCreation = true;
  EXPECT_FALSE(e.Step(50, host));
  EXPECT_EQ(e.flags, 0u);
}

TEST(TimerActionStep, SoundSwitchedOffWhileLoopingStops) {
  TimerActionState e = Entry(0x4 | 0x2, 0, 50);
  e.soundTime.duration = 60000;
  ScriptHost host;
  e.Step(50, host);
  host.Take();
  e.flags &= ~0x4u;
  EXPECT_TRUE(e.Step(550, host));
  EXPECT_EQ(host.Take(), (Log{"flash message normal", "silence"}));
  EXPECT_TRUE(e.Step(1050, host));
  EXPECT_EQ(host.Take(), Log{"flash message inverted"});
}

TEST(TimerActionEnd, StopsOnlyASoundThatStillPlays) {
  {
    TimerActionState e = Entry(0x4 | 0x1, 0, 50);
    ScriptHost host;
    e.Step(50, host);
    host.Take();
    e.End(host);
    EXPECT_EQ(host.Take(), Log{"silence"}) << "stopped while playing";
  }
  {
    TimerActionState e = Entry(0x4 | 0x2, 0, 50);
    ScriptHost host;
    e.Step(50, host);
    e.Step(50 + 1500, host);  // play time over: stopped by the tick
    host.Take();
    e.End(host);
    EXPECT_EQ(host.Take(), Log{"close message"}) << "stopped after the play time";
  }
  {
    // The sound action switched off by hand and the play time long over: it still loops, so it stops.
    TimerActionState e = Entry(0x4 | 0x1, 0, 50);
    ScriptHost host;
    e.Step(50, host);
    e.flags &= ~0x4u;
    e.flags = 0;
    host.Take();
    e.End(host);
    EXPECT_EQ(host.Take(), Log{"silence"});
  }
}

TEST(TimerActionEnd, ClosesBothWindows) {
  TimerActionState e = Entry(0x3, 0, 50);
  ScriptHost host;
  host.windows[0] = {true, true, false, false};
  e.Step(50, host);
  host.Take();
  e.End(host);
  EXPECT_EQ(host.Take(), (Log{"close counter", "close message"}));
}

TEST(TimerActionState, SoundStartedAtTickZeroStillCountsAsStarted) {
  TimerActionState e = Entry(0x4, 0, 0);
  ScriptHost host;
  e.Step(0, host);
  EXPECT_TRUE(e.soundTime.IsStarted());
  e.Step(500, host);
  EXPECT_EQ(host.Take(), Log{"sound bell.wav"});
}

// The clock window's poll: entries step from the last to the first; the finished ones go.
TEST(PollRunning, StepsFromTheLastEntryDownAndRemovesFinishedOnes) {
  std::vector<std::unique_ptr<TimerActionState>> running;
  std::vector<std::unique_ptr<ScriptHost>> hosts;
  for (int i = 0; i < 3; ++i) {
    running.push_back(std::make_unique<TimerActionState>(Entry(0x8, 1000, 100)));
    running.back()->param = std::to_string(i);
  }
  running[1]->countdown.duration = 60000;  // still counting
  std::vector<std::string> order;
  ScriptHost host;
  auto step = [&](TimerActionState& e) { return e.Step(1100, host); };
  std::vector<std::string> finished;
  auto finish = [&](std::unique_ptr<TimerActionState> e) { finished.push_back(e->param); };
  bool polling = false;
  EXPECT_EQ(PollRunning(running, polling, step, finish), 2u);
  EXPECT_EQ(host.Take(), (Log{"run tool.exe 2", "run tool.exe 0"}));
  EXPECT_EQ(finished, (std::vector<std::string>{"2", "0"})) << "each finished entry is handed on once";
  ASSERT_EQ(running.size(), 1u);
  EXPECT_EQ(running[0]->param, "1");
  // Every flag cleared (the cell menu): removed at the next poll.
  running[0]->flags = 0;
  EXPECT_EQ(PollRunning(running, polling, step, finish), 1u);
  EXPECT_TRUE(running.empty());
  EXPECT_EQ(finished.back(), "1");
}

}  // namespace
