// Bits of a face's Option word. The first four mean the same in every face;
// the others are the clock window's own (the time-adjustment bits stand with
// the time-adjustment settings).
#pragma once

#include <cstdint>

enum FaceOption : std::uint32_t {
  OptTransparent = 0x2,
  OptFrameless = 0x4,
  OptTopmost = 0x8,
  OptInverted = 0x10,
  OptTrayIcon = 0x10000,
  OptMenuIcons = 0x20000,
};
