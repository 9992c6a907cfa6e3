#include "face/stored_face_values.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <limits>

namespace {

constexpr std::int32_t kLeft = 0, kCentre = 1, kRight = 2;

TEST(StoredFaceValues, DrawFlagsThatMeasureOnlyKeepTheFacesOwn) {
  const struct {
    std::int32_t stored;
    std::int32_t taken;
  } cases[] = {
      {kLeft, kLeft},
      {kRight, kRight},
      {0x20 | kCentre, 0x20 | kCentre},   // DT_SINGLELINE: drawn, as ever
      {0x100 | kRight, 0x100 | kRight},   // DT_NOCLIP
      {0x400, kCentre},                   // DT_CALCRECT alone
      {0x400 | kRight, kCentre},          // with an alignment
      {-1, kCentre},                      // every bit
  };
  for (const auto& c : cases) EXPECT_EQ(StoredFaceValues::DrawFlags(c.stored, kCentre), c.taken) << c.stored;
}

TEST(StoredFaceValues, ColoursBeyondRgbKeepTheFacesOwn) {
  constexpr std::uint32_t kOwn = 0x00FFFFFF;
  const struct {
    std::int64_t stored;
    std::uint32_t taken;
  } cases[] = {
      {0, 0},
      {0x000000FF, 0x000000FF},
      {0x00FFFFFF, 0x00FFFFFF},
      {0x01000000, kOwn},  // a palette index
      {0x02123456, kOwn},  // palette-relative
      {0xFFFFFFFF, kOwn},  // CLR_INVALID
      {-1, kOwn},
      {std::numeric_limits<std::int32_t>::min(), kOwn},
  };
  for (const auto& c : cases) EXPECT_EQ(StoredFaceValues::Colour(c.stored, kOwn), c.taken) << c.stored;
}

TEST(StoredFaceValues, FontSizesBeyondEveryWindowKeepTheFacesOwn) {
  constexpr std::int32_t kOwn = -24, kLargest = 1920;
  const struct {
    std::int32_t stored;
    std::int32_t taken;
  } cases[] = {
      {0, 0},  // the font's own size
      {-24, -24},
      {-300, -300},
      {1920, 1920},
      {-1920, -1920},
      {1921, kOwn},
      {-100000, kOwn},
      {std::numeric_limits<std::int32_t>::min(), kOwn},  // no overflow in taking its size
      {std::numeric_limits<std::int32_t>::max(), kOwn},
  };
  for (const auto& c : cases) EXPECT_EQ(StoredFaceValues::FontExtent(c.stored, kOwn, kLargest), c.taken) << c.stored;
}

}  // namespace
