// Pixel sizes at a display's DPI: sizes designed for 96 DPI (100 %) are
// scaled by DPI / 96 where they are used. Portable arithmetic, apart from the
// calls that ask the system for a window's DPI.
#pragma once

#include <cstdint>

class DpiScale {
 public:
  static constexpr int kBaseDpi = 96;

  // A DPI the system cannot have (0 or less) counts as 96.
  explicit constexpr DpiScale(int dpi = kBaseDpi) : dpi_(dpi > 0 ? dpi : kBaseDpi) {}

  constexpr int dpi() const { return dpi_; }

  // A 96-DPI size at this DPI, rounded to the nearest pixel (halves away from
  // zero, as the system's MulDiv does); negative sizes keep their sign.
  int Scale(int pixels96) const;
  // A size at this DPI back at 96 DPI, rounded the same way. For any DPI of
  // 96 or more, Unscale(Scale(v)) == v.
  int Unscale(int pixels) const;

  // Font heights ("lfHeight") are stored as 96-DPI values so that a settings
  // file means the same on every display; the font is made at this DPI.
  // 0 (the font's default height) stays 0.
  int FontHeightAtDpi(std::int32_t stored) const { return Scale(stored); }
  std::int32_t StoredFontHeight(int atDpi) const { return Unscale(atDpi); }

  bool operator==(const DpiScale&) const = default;

 private:
  static int MulDivRound(int value, int numerator, int denominator);

  int dpi_;
};
