// Any dimensions and stride over any buffer: the scan reads only inside the
// buffer, never past a row's last pixel, and every run lies within the image.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <span>
#include <vector>

#include "face/region_runs.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size < 8) return 0;
  const std::int32_t width = static_cast<std::int8_t>(data[0]);
  const std::int32_t height = static_cast<std::int8_t>(data[1]);
  const std::size_t stride = data[2];
  std::uint32_t key;
  std::memcpy(&key, data + 3, 4);
  // A copy of exactly the remaining bytes, so that any read beyond them is caught.
  std::vector<std::uint8_t> pixels(data + 8, data + size);
  RegionRuns runs;
  const bool any = runs.Scan(std::span<const std::uint8_t>(pixels), width, height, stride, key);
  if (any != !runs.rects().empty()) std::abort();
  for (const RunRect& r : runs.rects()) {
    if (r.left < 0 || r.right > width || r.left >= r.right || r.top < 0 || r.bottom != r.top + 1 || r.bottom > height)
      std::abort();
  }
  return 0;
}
