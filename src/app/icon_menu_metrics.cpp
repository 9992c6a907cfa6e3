#include "app/icon_menu_metrics.h"

#include <algorithm>

IconMenuMetrics::Size IconMenuMetrics::ItemSize(int textWidth, int textHeight, bool accelerator,
                                                bool submenu) const {
  int width = textWidth + scale_.Scale(18);  // the picture column
  if (accelerator) width += AcceleratorWidth();
  if (submenu) width += scale_.Scale(16);  // the submenu arrow
  const int height = std::max(textHeight + scale_.Scale(2), MinimumHeight());
  return Size{width, height};
}
