// A QuickTimer's settings as a value, and a started QuickTimer made from them.
#include "quicktimer/timer_action.h"

#include <gtest/gtest.h>

#include <memory>

#include "face/face_options.h"
#include "quicktimer/running_timer.h"

namespace {

TEST(TimerAction, NewRecordHasTheDefaults) {
  TimerAction action;
  EXPECT_EQ(action.flags, 0u);
  EXPECT_EQ(action.countdown.duration, 0u);
  EXPECT_EQ(action.counterFace.format, "Remaining %Q minutes and %q seconds !");
  EXPECT_EQ(action.messageFace.format, "Time is Up !");
  EXPECT_EQ(action.messageFace.textColour, 0x000000FFu);
  EXPECT_EQ(action.counterFace.textColour, 0x00FFFFFFu);
  EXPECT_EQ(action.counterFace.options.Word(), 8u);
  EXPECT_TRUE(action.counterFace.IsCountdown());
  EXPECT_FALSE(action.messageFace.IsCountdown());
  EXPECT_FALSE(action.counterFace.countdown.has_value()) << "a record that does not run shows no countdown";
}

// The dialog's record goes when the dialog ends; the started QuickTimer keeps
// everything of it and counts its own countdown.
TEST(TimerAction, ARunningTimerCountsItsOwnCopy) {
  auto original = std::make_unique<TimerAction>();
  original->flags = 0x10F;
  original->countdown = {90000, 0};
  original->wave = "a.wav";
  original->soundTime.duration = 5000;
  original->app = "b.exe";
  original->param = "b.exe x";
  original->counterFace.format = "%T";
  original->counterFace.options.inverted = true;
  original->messageFace.windowRect = RECT{10, 20, 110, 120};
  RunningTimer run(*original, 4242);
  original.reset();
  const TimerAction& copy = run.action;
  EXPECT_EQ(copy.flags, 0x10Fu);
  EXPECT_EQ(copy.countdown.duration, 90000u);
  EXPECT_EQ(copy.countdown.start, 4242u);
  EXPECT_EQ(copy.wave, "a.wav");
  EXPECT_EQ(copy.soundTime.duration, 5000u);
  EXPECT_EQ(copy.app, "b.exe");
  EXPECT_EQ(copy.param, "b.exe x");
  EXPECT_EQ(copy.counterFace.format, "%T");
  EXPECT_EQ(copy.messageFace.windowRect.right, 110);
  EXPECT_TRUE(copy.counterFace.options.inverted) << "the user's choice; only the blink is not kept";
  ASSERT_TRUE(copy.counterFace.countdown.has_value());
  EXPECT_EQ(copy.counterFace.countdown->start, 4242u);
  EXPECT_EQ(copy.counterFace.countdown->duration, 90000u);
  run.action.flags = 0;
}

}  // namespace
