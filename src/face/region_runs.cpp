#include "face/region_runs.h"

#include <algorithm>

std::size_t RegionRuns::Stride(std::int32_t width, std::int32_t bitsPerPixel) {
  if (width <= 0 || bitsPerPixel <= 0) return 0;
  return ((static_cast<std::size_t>(width) * static_cast<std::size_t>(bitsPerPixel) + 31) / 32) * 4;
}

bool RegionRuns::Scan(std::span<const std::uint8_t> pixels, std::int32_t width, std::int32_t height,
                      std::size_t stride, std::uint32_t key) {
  rects_.clear();
  bound_ = {width, height, 0, 0};
  if (width <= 0 || height <= 0) return false;
  const auto w = static_cast<std::size_t>(width);
  const auto h = static_cast<std::size_t>(height);
  if (stride < w * 3 || pixels.size() / stride < h) return false;

  const std::uint8_t keyBlue = static_cast<std::uint8_t>(key >> 16);
  const std::uint8_t keyGreen = static_cast<std::uint8_t>(key >> 8);
  const std::uint8_t keyRed = static_cast<std::uint8_t>(key);
  const std::uint8_t* row = pixels.data();
  for (std::size_t line = 0; line < h; ++line, row += stride) {
    const auto y = static_cast<std::int32_t>(h - 1 - line);
    std::size_t x = 0;
    while (x < w) {
      // Skip the key pixels, then take the run up to the next key pixel or the row's end.
      while (x < w && row[3 * x] == keyBlue && row[3 * x + 1] == keyGreen && row[3 * x + 2] == keyRed) ++x;
      if (x == w) break;
      const std::size_t start = x;
      while (x < w && !(row[3 * x] == keyBlue && row[3 * x + 1] == keyGreen && row[3 * x + 2] == keyRed)) ++x;
      rects_.push_back({static_cast<std::int32_t>(start), y, static_cast<std::int32_t>(x), y + 1});
    }
  }
  if (rects_.empty()) return false;
  // Every run is one row high; the rows were visited bottom-up, so the first
  // run has the largest bottom and the last the smallest top.
  bound_.top = rects_.back().top;
  bound_.bottom = rects_.front().bottom;
  for (const RunRect& r : rects_) {
    bound_.left = std::min(bound_.left, r.left);
    bound_.right = std::max(bound_.right, r.right);
  }
  return true;
}
