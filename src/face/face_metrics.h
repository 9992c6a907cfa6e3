// The pixel sizes of the face's windows and colour controls, designed for
// 96 DPI, at the DPI of the display they are used on.
#pragma once

#include <cstdint>

#include "win/dpi_scale.h"
#include "win/monitor_fit.h"

class FaceMetrics {
 public:
  // A face's window at its first start: 400 x 200 at the top-left of the screen.
  static constexpr int kFirstStartWidth = 400;
  static constexpr int kFirstStartHeight = 200;
  // The default font height as stored ("lfHeight" at 96 DPI).
  static constexpr std::int32_t kDefaultFontHeight = -24;
  // The size a colour button gives its drop-down grid.
  static constexpr int kSwatchSize = 16;

  explicit FaceMetrics(DpiScale scale) : scale_(scale) {}

  ScreenRect FirstStartRect() const;
  // The height the default font is made with.
  int DefaultFontHeight() const { return scale_.FontHeightAtDpi(kDefaultFontHeight); }

  struct Size {
    int width;
    int height;
    bool operator==(const Size&) const = default;
  };
  // A cell of the colour grid: (size - 4) x (size + 4) at 96 DPI.
  Size GridCell(int size = kSwatchSize) const;

 private:
  DpiScale scale_;
};
