// A 24-bit bottom-up picture in memory with its own device context, and the
// region of its pixels that differ from a key colour.
#pragma once

#include <windows.h>

#include <cstddef>
#include <cstdint>

#include "win/unique_handle.h"

class OffscreenImage {
 public:
  OffscreenImage() = default;
  ~OffscreenImage() { Release(); }
  OffscreenImage(const OffscreenImage&) = delete;
  OffscreenImage& operator=(const OffscreenImage&) = delete;

  // Only 24 bits per pixel are supported (every image of the application is). FALSE when the
  // dimensions are not positive or the DIB section cannot be created.
  BOOL Create(int width, int height, int bitsPerPixel = 24);
  void Release();

  // Where to draw; null before Create.
  HDC dc() const { return dc_; }
  int width() const { return width_; }
  int height() const { return height_; }
  std::size_t stride() const { return stride_; }
  // First byte of the bottom row.
  std::uint8_t* bits() const { return bits_; }

  // Puts into `out` the region of every pixel that differs from `key`. FALSE, with `out`
  // untouched, when there is none or the system refuses the region.
  BOOL BuildRegion(RegionHandle& out, COLORREF key) const;

  // Copies the whole picture to (x, y) of `target`.
  BOOL CopyTo(HDC target, int x, int y) const;

  // Gives `window` a copy of `region` (SetWindowRgn, redraw); the window owns the copy once
  // the call succeeds, and a refused copy is deleted here.
  static BOOL GiveRegionCopy(HWND window, HRGN region);
  // Takes any region away from `window` (redraw). A window without one is left alone, so
  // that paints which find nothing to remove do not change the frame and repaint again.
  static void RemoveWindowRegion(HWND window);

 private:
  HDC dc_ = nullptr;
  HBITMAP bitmap_ = nullptr;
  HGDIOBJ previous_ = nullptr;
  BITMAPINFO* header_ = nullptr;
  std::uint8_t* bits_ = nullptr;
  int width_ = 0;
  int height_ = 0;
  std::size_t stride_ = 0;
};
