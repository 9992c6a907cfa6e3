// A face that shows the time left of a QuickTimer countdown.
#pragma once

#include "face/clock_face.h"
#include "face/tick_countdown.h"

class CountdownFace : public ClockFace {
 public:
  CountdownFace() = default;
  explicit CountdownFace(UINT formatStringId) : ClockFace(formatStringId) {}

  BOOL IsCountdown() const override { return TRUE; }
  std::string ExpandText(const std::tm& local, std::uint32_t tickNow) const override;

  // Not owned: the running QuickTimer owns both the face and the countdown.
  const TickCountdown* countdown = nullptr;
};
