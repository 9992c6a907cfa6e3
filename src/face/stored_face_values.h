// Which hand-edited values of a face's stored block a face can draw with: a
// value that would leave the window blank is not taken, and the face keeps
// the value it had (its own default at a load). Portable arithmetic.
#pragma once

#include <cstdint>

class StoredFaceValues {
 public:
  // DT_CALCRECT: DrawText only measures and draws nothing.
  static constexpr std::int32_t kMeasureOnly = 0x400;

  // The stored DrawText flags, or `current` when they hold DT_CALCRECT.
  static std::int32_t DrawFlags(std::int32_t stored, std::int32_t current);
  // The stored colour when it is a plain RGB value (0x00BBGGRR), `current` otherwise
  // (palette indexes, CLR_INVALID, negative numbers).
  static std::uint32_t Colour(std::int64_t stored, std::uint32_t current);
  // A font height or width (96-DPI pixels, either sign; 0 is the font's own) when no
  // larger than `largest`, the largest extent any window of this desktop can have;
  // `current` otherwise: a glyph larger than every window shows nothing of the time.
  static std::int32_t FontExtent(std::int32_t stored, std::int32_t current, std::int32_t largest);
};
