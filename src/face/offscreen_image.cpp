#include "face/offscreen_image.h"

#include <cstring>
#include <limits>
#include <vector>

#include "face/region_runs.h"

BOOL OffscreenImage::Create(int width, int height, int bitsPerPixel) {
  Release();
  if (width <= 0 || height <= 0 || bitsPerPixel != 24) return FALSE;
  const std::size_t stride = RegionRuns::Stride(width, bitsPerPixel);
  if (stride > std::numeric_limits<DWORD>::max() / static_cast<std::size_t>(height)) return FALSE;

  header_ = static_cast<BITMAPINFO*>(::GlobalAlloc(GMEM_FIXED | GMEM_ZEROINIT, sizeof(BITMAPINFO)));
  if (header_ == nullptr) return FALSE;
  BITMAPINFOHEADER& h = header_->bmiHeader;
  h.biSize = sizeof(BITMAPINFOHEADER);
  h.biWidth = width;
  h.biHeight = height;  // positive: the first row in memory is the bottom row
  h.biPlanes = 1;
  h.biBitCount = static_cast<WORD>(bitsPerPixel);
  h.biCompression = BI_RGB;
  h.biSizeImage = static_cast<DWORD>(stride * static_cast<std::size_t>(height));

  dc_ = ::CreateCompatibleDC(nullptr);
  void* bits = nullptr;
  {
    HWND desktop = ::GetDesktopWindow();
    WindowDcGuard screen(desktop);
    bitmap_ = ::CreateDIBSection(screen.dc(), header_, DIB_RGB_COLORS, &bits, nullptr, 0);
  }
  if (dc_ == nullptr || bitmap_ == nullptr || bits == nullptr) {
    Release();
    return FALSE;
  }
  previous_ = ::SelectObject(dc_, bitmap_);
  bits_ = static_cast<std::uint8_t*>(bits);
  width_ = width;
  height_ = height;
  stride_ = stride;
  return TRUE;
}

void OffscreenImage::Release() {
  if (dc_ != nullptr && previous_ != nullptr) ::SelectObject(dc_, previous_);
  if (bitmap_ != nullptr) ::DeleteObject(bitmap_);
  if (dc_ != nullptr) ::DeleteDC(dc_);
  if (header_ != nullptr) ::GlobalFree(header_);
  dc_ = nullptr;
  bitmap_ = nullptr;
  previous_ = nullptr;
  header_ = nullptr;
  bits_ = nullptr;
  width_ = height_ = 0;
  stride_ = 0;
}

BOOL OffscreenImage::BuildRegion(RegionHandle& out, COLORREF key) const {
  if (bits_ == nullptr) return FALSE;
  ::GdiFlush();  // drawing into the DIB section may still be queued
  RegionRuns runs;
  const std::span<const std::uint8_t> pixels(bits_, stride_ * static_cast<std::size_t>(height_));
  if (!runs.Scan(pixels, width_, height_, stride_, key)) return FALSE;

  const std::size_t count = runs.rects().size();
  if (count > (std::numeric_limits<DWORD>::max() - sizeof(RGNDATAHEADER)) / sizeof(RECT)) return FALSE;
  const std::size_t size = sizeof(RGNDATAHEADER) + sizeof(RECT) * count;
  std::vector<RECT> block((size + sizeof(RECT) - 1) / sizeof(RECT));  // RECT-aligned storage
  auto* data = reinterpret_cast<RGNDATA*>(block.data());
  data->rdh.dwSize = sizeof(RGNDATAHEADER);
  data->rdh.iType = RDH_RECTANGLES;
  data->rdh.nCount = static_cast<DWORD>(count);
  data->rdh.nRgnSize = 0;
  const RunRect& b = runs.bound();
  data->rdh.rcBound = RECT{b.left, b.top, b.right, b.bottom};
  auto* rects = reinterpret_cast<RECT*>(data->Buffer);
  for (std::size_t i = 0; i < count; ++i) {
    const RunRect& r = runs.rects()[i];
    rects[i] = RECT{r.left, r.top, r.right, r.bottom};
  }
  HRGN region = ::ExtCreateRegion(nullptr, static_cast<DWORD>(size), data);
  if (region == nullptr) return FALSE;
  out.reset(region);
  return TRUE;
}

BOOL OffscreenImage::CopyTo(HDC target, int x, int y) const {
  if (dc_ == nullptr) return FALSE;
  ::SetViewportOrgEx(dc_, 0, 0, nullptr);
  return ::BitBlt(target, x, y, width_, height_, dc_, 0, 0, SRCCOPY);
}

BOOL OffscreenImage::GiveRegionCopy(HWND window, HRGN region) {
  RegionHandle copy(::CreateRectRgn(0, 0, 1, 1));
  if (!copy || ::CombineRgn(copy.get(), region, copy.get(), RGN_COPY) == ERROR) return FALSE;
  if (::SetWindowRgn(window, copy.get(), TRUE) == 0) return FALSE;
  copy.release();  // the window owns it now
  return TRUE;
}

void OffscreenImage::RemoveWindowRegion(HWND window) {
  RegionHandle probe(::CreateRectRgn(0, 0, 0, 0));
  if (probe && ::GetWindowRgn(window, probe.get()) == ERROR) return;
  ::SetWindowRgn(window, nullptr, TRUE);
}
