// The runs of a 24-bit bottom-up pixel buffer whose pixels differ from a key
// colour: one-pixel-high rectangles in image coordinates (y downwards), in
// the order the rows lie in memory (bottom row first, left to right).
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <vector>

struct RunRect {
  std::int32_t left;
  std::int32_t top;
  std::int32_t right;
  std::int32_t bottom;
  bool operator==(const RunRect&) const = default;
};

class RegionRuns {
 public:
  // Bytes per row of a `bitsPerPixel` image `width` pixels wide: rows are padded to 4 bytes.
  static std::size_t Stride(std::int32_t width, std::int32_t bitsPerPixel);

  // Collects the runs of `pixels` (blue, green, red bytes; rows `stride` bytes
  // apart, the bottom row first) that differ from `key` (0x00BBGGRR). Padding
  // bytes are never read. False when no pixel differs, or when the buffer is
  // smaller than the dimensions say (nothing is read then).
  bool Scan(std::span<const std::uint8_t> pixels, std::int32_t width, std::int32_t height, std::size_t stride,
            std::uint32_t key);

  const std::vector<RunRect>& rects() const { return rects_; }
  // (width, height, 0, 0) grown over every run; empty when there is none.
  const RunRect& bound() const { return bound_; }

 private:
  std::vector<RunRect> rects_;
  RunRect bound_{0, 0, 0, 0};
};
