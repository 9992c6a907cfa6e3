// A 32-bit top-down memory bitmap with a DC, for drawing tests.
#pragma once

#include <windows.h>

#include <cstdint>

#include "win/unique_handle.h"

class BitmapCanvas {
 public:
  BitmapCanvas(int width, int height) : width_(width), height_(height), dc_(::CreateCompatibleDC(nullptr)) {
    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof(info.bmiHeader);
    info.bmiHeader.biWidth = width;
    info.bmiHeader.biHeight = -height;
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;
    void* bits = nullptr;
    bitmap_.reset(::CreateDIBSection(dc_.get(), &info, DIB_RGB_COLORS, &bits, nullptr, 0));
    bits_ = static_cast<std::uint32_t*>(bits);
    previous_ = ::SelectObject(dc_.get(), bitmap_.get());
  }
  ~BitmapCanvas() { ::SelectObject(dc_.get(), previous_); }
  BitmapCanvas(const BitmapCanvas&) = delete;
  BitmapCanvas& operator=(const BitmapCanvas&) = delete;

  HDC dc() const { return dc_.get(); }
  int width() const { return width_; }
  int height() const { return height_; }
  // As a COLORREF (0x00BBGGRR).
  COLORREF Pixel(int x, int y) const {
    ::GdiFlush();
    const std::uint32_t v = bits_[y * width_ + x] & 0xFFFFFF;
    return RGB((v >> 16) & 0xFF, (v >> 8) & 0xFF, v & 0xFF);
  }
  void Fill(COLORREF colour) {
    BrushHandle brush(::CreateSolidBrush(colour));
    RECT all{0, 0, width_, height_};
    ::FillRect(dc_.get(), &all, brush.get());
  }
  // Bounding box of the pixels that differ from `background`; empty when none.
  RECT LitBounds(COLORREF background) const {
    RECT box{width_, height_, -1, -1};
    for (int y = 0; y < height_; ++y)
      for (int x = 0; x < width_; ++x)
        if (Pixel(x, y) != background) {
          if (x < box.left) box.left = x;
          if (y < box.top) box.top = y;
          if (x > box.right) box.right = x;
          if (y > box.bottom) box.bottom = y;
        }
    return box;
  }

 private:
  int width_;
  int height_;
  MemoryDcHandle dc_;
  BitmapHandle bitmap_;
  std::uint32_t* bits_ = nullptr;
  HGDIOBJ previous_ = nullptr;
};
