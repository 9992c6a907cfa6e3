// A face that shows the time left of a QuickTimer countdown.
#pragma once

#include <optional>

#include "face/clock_face.h"
#include "face/tick_countdown.h"

class CountdownFace : public ClockFace {
 public:
  CountdownFace() = default;
  explicit CountdownFace(UINT formatStringId) : ClockFace(formatStringId) {}

  BOOL IsCountdown() const override { return TRUE; }
  const TickCountdown* ShownCountdown() const override { return countdown ? &*countdown : nullptr; }

  // The countdown shown; none in a face that is only being edited.
  std::optional<TickCountdown> countdown;
};
