#include "face/face_metrics.h"

ScreenRect FaceMetrics::FirstStartRect() const {
  return ScreenRect{0, 0, scale_.Scale(kFirstStartWidth), scale_.Scale(kFirstStartHeight)};
}

FaceMetrics::Size FaceMetrics::GridCell(int size) const {
  return Size{scale_.Scale(size - 4), scale_.Scale(size + 4)};
}
