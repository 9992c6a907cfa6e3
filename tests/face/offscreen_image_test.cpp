#include "face/offscreen_image.h"

#include <gtest/gtest.h>

#include <vector>

#include "face/clock_face.h"
#include "win/unique_handle.h"

namespace {

COLORREF PixelOf(const OffscreenImage& image, int x, int y) {
  ::GdiFlush();
  const std::uint8_t* p = image.bits() + image.stride() * (image.height() - 1 - y) + 3 * x;
  return RGB(p[2], p[1], p[0]);
}

std::vector<RECT> RegionRects(HRGN region) {
  const DWORD size = ::GetRegionData(region, 0, nullptr);
  std::vector<RECT> storage((size + sizeof(RECT) - 1) / sizeof(RECT));
  auto* data = reinterpret_cast<RGNDATA*>(storage.data());
  if (::GetRegionData(region, size, data) == 0) return {};
  const auto* rects = reinterpret_cast<const RECT*>(data->Buffer);
  return {rects, rects + data->rdh.nCount};
}

// A face drawn the way the clock draws it, for shapes with real glyph edges.
ClockFace TextFace() {
  ClockFace face;
  face.format = "12:34 Wg&y";
  face.textColour = RGB(255, 255, 255);
  face.backColour = RGB(0, 0, 0);
  return face;
}

TEST(OffscreenImage, IsA24BitBottomUpPicture) {
  OffscreenImage image;
  ASSERT_TRUE(image.Create(5, 3));
  EXPECT_EQ(image.stride(), 16u);
  ::SetPixelV(image.dc(), 0, 0, RGB(10, 20, 30));  // top-left of the picture
  ::GdiFlush();
  const std::uint8_t* lastRow = image.bits() + 2 * image.stride();
  EXPECT_EQ(lastRow[0], 30);  // blue, green, red
  EXPECT_EQ(lastRow[1], 20);
  EXPECT_EQ(lastRow[2], 10);
}

TEST(OffscreenImage, RefusesWhatItCannotHold) {
  OffscreenImage image;
  EXPECT_FALSE(image.Create(0, 10));
  EXPECT_FALSE(image.Create(10, -1));
  EXPECT_FALSE(image.Create(10, 10, 32));
  EXPECT_EQ(image.dc(), nullptr);
  RegionHandle region;
  EXPECT_FALSE(image.BuildRegion(region, 0));
}

TEST(OffscreenImage, RegionMatchesThePixelsExactly) {
  OffscreenImage image;
  ASSERT_TRUE(image.Create(161, 41));  // an odd width: rows carry padding
  ClockFace face = TextFace();
  face.Draw(image.dc(), RECT{0, 0, 161, 41}, DpiScale::kBaseDpi, ClockFace::LocalNow(), 0);
  RegionHandle region;
  ASSERT_TRUE(image.BuildRegion(region, face.backColour));

  int opaque = 0;
  for (int y = 0; y < 41; ++y)
    for (int x = 0; x < 161; ++x) {
      const bool lit = PixelOf(image, x, y) != face.backColour;
      opaque += lit;
      ASSERT_EQ(::PtInRegion(region.get(), x, y) != FALSE, lit) << x << "," << y;
    }
  ASSERT_GT(opaque, 50);
  // The system keeps the same one-pixel-high rectangles: none leaves the image.
  const std::vector<RECT> rects = RegionRects(region.get());
  ASSERT_FALSE(rects.empty());
  int area = 0;
  for (const RECT& r : rects) {
    EXPECT_EQ(r.bottom - r.top, 1);
    EXPECT_GE(r.left, 0);
    EXPECT_LE(r.right, 161);
    area += r.right - r.left;
  }
  EXPECT_EQ(area, opaque);
}

TEST(OffscreenImage, AllKeyLeavesTheRegionUntouched) {
  OffscreenImage image;
  ASSERT_TRUE(image.Create(20, 10));
  BrushHandle brush(::CreateSolidBrush(RGB(1, 2, 3)));
  RECT all{0, 0, 20, 10};
  ::FillRect(image.dc(), &all, brush.get());
  HRGN previous = ::CreateRectRgn(0, 0, 5, 5);
  RegionHandle region(previous);
  EXPECT_FALSE(image.BuildRegion(region, RGB(1, 2, 3)));
  EXPECT_EQ(region.get(), previous);
  // One step away in one channel is not the key.
  EXPECT_TRUE(image.BuildRegion(region, RGB(1, 2, 4)));
  EXPECT_NE(region.get(), previous);
  EXPECT_TRUE(::PtInRegion(region.get(), 19, 9));
}

TEST(OffscreenImage, InvertedFaceIsOpaqueButForTextPixels) {
  ClockFace face = TextFace();
  face.options.inverted = true;
  OffscreenImage image;
  ASSERT_TRUE(image.Create(161, 41));
  face.Draw(image.dc(), RECT{0, 0, 161, 41}, DpiScale::kBaseDpi, ClockFace::LocalNow(), 0);
  RegionHandle region;
  ASSERT_TRUE(image.BuildRegion(region, face.backColour));
  EXPECT_TRUE(::PtInRegion(region.get(), 0, 0));
  EXPECT_TRUE(::PtInRegion(region.get(), 160, 40));
  int holes = 0;
  for (int y = 0; y < 41; ++y)
    for (int x = 0; x < 161; ++x)
      if (!::PtInRegion(region.get(), x, y)) {
        ++holes;
        // White text inverted is black, the background colour: those pixels alone are cut away.
        ASSERT_EQ(PixelOf(image, x, y), face.backColour);
      }
  EXPECT_GT(holes, 20);
}

TEST(OffscreenImage, CopyToPutsThePictureAtThePoint) {
  OffscreenImage image;
  ASSERT_TRUE(image.Create(4, 4));
  ::SetPixelV(image.dc(), 0, 0, RGB(200, 0, 0));
  OffscreenImage target;
  ASSERT_TRUE(target.Create(10, 10));
  ::SetViewportOrgEx(image.dc(), 3, 3, nullptr);  // reset by CopyTo
  EXPECT_TRUE(image.CopyTo(target.dc(), 5, 6));
  EXPECT_EQ(PixelOf(target, 5, 6), RGB(200, 0, 0));
}

TEST(OffscreenImage, ARefusedRegionStaysWithItsOwner) {
  RegionHandle region(::CreateRectRgn(0, 0, 5, 5));
  EXPECT_FALSE(OffscreenImage::GiveRegionCopy(nullptr, region.get()));
  EXPECT_TRUE(::PtInRegion(region.get(), 1, 1)) << "the original is the caller's either way";
}

}  // namespace
