// The measures of an icon menu's items, designed for 96 DPI (16-pixel
// pictures), at the DPI the menu is shown at. Offsets are from the item
// rectangle (L, T, R, B).
#pragma once

#include "win/dpi_scale.h"

class IconMenuMetrics {
 public:
  explicit IconMenuMetrics(DpiScale scale = DpiScale()) : scale_(scale) {}

  // The pictures (icons and the check image) are square, this wide.
  int PictureSize() const { return scale_.Scale(16); }
  // Picture box: (L + margin, T + margin, L + PictureRight, B - margin).
  int PictureMargin() const { return scale_.Scale(1); }
  int PictureRight() const { return scale_.Scale(18); }
  // The text starts at L + TextLeft.
  int TextLeft() const { return scale_.Scale(22); }
  // The accelerator text (after a tab) takes the last pixels of the item.
  int AcceleratorWidth() const { return scale_.Scale(50); }
  int MinimumHeight() const { return scale_.Scale(18); }

  struct Size {
    int width;
    int height;
    bool operator==(const Size&) const = default;
  };
  // What an item asks for, given its measured text (the part before an
  // accelerator's tab): the text, the accelerator column, the picture column
  // and, for an item that opens a submenu, room for its arrow; the text's
  // height and a little, at least MinimumHeight.
  Size ItemSize(int textWidth, int textHeight, bool accelerator, bool submenu) const;

 private:
  DpiScale scale_;
};
