#include "face/clock_face.h"

#include "face/offscreen_image.h"
#include "face/time_formatter.h"
#include "win/string_table.h"
#include "win/unique_handle.h"

ClockFace::ClockFace() {
  ::SystemParametersInfoA(SPI_GETICONTITLELOGFONT, sizeof(font), &font, 0);
  font.lfHeight = -24;
}

ClockFace::ClockFace(UINT formatStringId) : ClockFace() {
  if (formatStringId != 0) format = StringTable::Load(formatStringId);
}

std::tm ClockFace::LocalNow() {
  const std::time_t now = std::time(nullptr);
  std::tm local{};
#ifdef _WIN32
  localtime_s(&local, &now);
#else
  localtime_r(&now, &local);
#endif
  return local;
}

void ClockFace::Draw(HDC dc, RECT rect) { DrawAt(dc, rect, LocalNow(), ::GetTickCount()); }

std::string ClockFace::ExpandText(const std::tm& local, std::uint32_t tickNow) const {
  return TimeFormatter::Expand(format, local, false, nullptr, tickNow);
}

void ClockFace::DrawAt(HDC dc, RECT rect, const std::tm& local, std::uint32_t tickNow) {
  FontHandle textFont(::CreateFontIndirectA(&font));
  BrushHandle background(::CreateSolidBrush(backColour));
  RECT enlarged;
  {
    SelectGuard fontScope(dc, textFont.get());
    SelectGuard brushScope(dc, background.get());

    RECT text = rect;
    enlarged = rect;
    ::InflateRect(&enlarged, 1, 1);
    // The outline lies one pixel outside `rect`; the interior is exactly `rect`.
    ::Rectangle(dc, enlarged.left, enlarged.top, enlarged.right, enlarged.bottom);

    const std::string expanded = ExpandText(local, tickNow);
    ::SetBkMode(dc, TRANSPARENT);
    ::SetTextColor(dc, textColour);
    const auto flags = static_cast<UINT>(flagDT);
    ::DrawTextA(dc, expanded.data(), static_cast<int>(expanded.size()), &text, flags | DT_CALCRECT);
    // Centre the block in the enlarged rectangle; the division truncates toward zero.
    const int dx = ((enlarged.right - enlarged.left) - (text.right - text.left)) / 2;
    const int dy = ((enlarged.bottom - enlarged.top) - (text.bottom - text.top)) / 2;
    ::OffsetRect(&text, dx, dy);
    ::DrawTextA(dc, expanded.data(), static_cast<int>(expanded.size()), &text, flags);
  }
  if (option & OptInverted) ::InvertRect(dc, &enlarged);
}

BOOL ClockFace::UpdateWindowShape(HDC dc, HWND window, BOOL enable) {
  const auto style = static_cast<DWORD>(::GetWindowLongA(window, GWL_STYLE));
  if (!enable || !(option & OptTransparent) || (style & WS_THICKFRAME)) {
    OffscreenImage::RemoveWindowRegion(window);
    return FALSE;
  }
  RECT frame;
  ::GetWindowRect(window, &frame);
  const int width = frame.right - frame.left;
  const int height = frame.bottom - frame.top;
  OffscreenImage image;
  if (!image.Create(width, height, 24)) return FALSE;
  Draw(image.dc(), RECT{0, 0, width, height});  // virtual: a countdown face draws its own text
  RegionHandle region;
  // Without a region the window keeps the one it had and the caller paints normally.
  if (!image.BuildRegion(region, backColour)) return FALSE;
  OffscreenImage::GiveRegionCopy(window, region.get());
  return image.CopyTo(dc, 0, 0);
}

void ClockFace::CopySettingsFrom(const ClockFace& other) {
  font = other.font;
  textColour = other.textColour;
  backColour = other.backColour;
  flagDT = other.flagDT;
  windowRect = other.windowRect;
  option = other.option;
  format = other.format;
}
