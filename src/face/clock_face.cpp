#include "face/clock_face.h"

#include <algorithm>

#include "face/face_font.h"
#include "face/face_metrics.h"
#include "face/stored_face_values.h"
#include "face/time_formatter.h"
#include "win/ansi_code_page.h"
#include "win/string_table.h"
#include "win/unique_handle.h"
#include "win/wide_text.h"
#include "win/window_dpi.h"

ClockFace::ClockFace() {
  LOGFONTW system{};
  ::SystemParametersInfoW(SPI_GETICONTITLELOGFONT, sizeof(system), &system, 0);
  system.lfHeight = FaceMetrics::kDefaultFontHeight;
  SetFont(system);
  // A window's first place is in screen pixels: the first-start size at the screen's DPI.
  const ScreenRect first = FaceMetrics(DpiScale(WindowDpi::System().ForSystem())).FirstStartRect();
  windowRect = RECT{first.left, first.top, first.right, first.bottom};
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

void ClockFace::SetFont(const LOGFONTW& font96) { fontFace = FaceFont::ToRecord(font96, font, AnsiCodePage::System()); }

LOGFONTW ClockFace::FontAtDpi(int dpi) const {
  const DpiScale scale(dpi);
  LOGFONTW scaled = FaceFont::Wide(font, fontFace, AnsiCodePage::System());
  scaled.lfHeight = scale.FontHeightAtDpi(font.lfHeight);
  scaled.lfWidth = scale.FontHeightAtDpi(font.lfWidth);
  return scaled;
}

SIZE ClockFace::WindowSizeFor(const std::wstring& text, int dpi) const {
  const DpiScale scale(dpi);
  const ScreenRect first = FaceMetrics(scale).FirstStartRect();
  SIZE size{first.Width(), first.Height()};
  HDC screen = ::GetDC(nullptr);
  if (screen == nullptr) return size;
  const LOGFONTW drawn = FontAtDpi(dpi);
  FontHandle font(::CreateFontIndirectW(&drawn));
  HGDIOBJ old = ::SelectObject(screen, font.get() != nullptr ? font.get() : ::GetStockObject(DEFAULT_GUI_FONT));
  RECT block{0, 0, 0, 0};
  ::DrawTextW(screen, text.c_str(), static_cast<int>(text.size()), &block,
              static_cast<UINT>(StoredFaceValues::DrawFlags(flagDT, DT_CENTER)) | DT_CALCRECT);
  ::SelectObject(screen, old);
  ::ReleaseDC(nullptr, screen);
  const WindowDpi& system = WindowDpi::System();
  const int frameX = 2 * (system.SystemMetric(SM_CXSIZEFRAME, dpi) + system.SystemMetric(SM_CXPADDEDBORDER, dpi));
  const int frameY = 2 * (system.SystemMetric(SM_CYSIZEFRAME, dpi) + system.SystemMetric(SM_CXPADDEDBORDER, dpi));
  const int air = 2 * scale.Scale(16);
  size.cx = std::max<LONG>(size.cx, block.right - block.left + air + frameX);
  size.cy = std::max<LONG>(size.cy, block.bottom - block.top + air + frameY);
  return size;
}

std::string ClockFace::ExpandText(const std::tm& local, std::uint32_t tickNow) const {
  // Through the wide expansion: the runtime's narrow names would be in its code page, not UTF-8.
  return WideText::ToUtf8(ExpandTextWide(local, tickNow));
}

std::wstring ClockFace::ExpandTextWide(const std::tm& local, std::uint32_t tickNow) const {
  return TimeFormatter::Expand(WideText::From(format), local, IsCountdown() != FALSE, ShownCountdown(), tickNow);
}

void ClockFace::Draw(HDC dc, RECT rect, int dpi, const std::tm& local, std::uint32_t tickNow,
                     TextEdges edges) const {
  LOGFONTW drawn = FontAtDpi(dpi);
  // Smoothed edges are blends of text and background: in a see-through shape they would
  // stay as a fringe of neither colour around every letter.
  if (edges == TextEdges::kSharp) drawn.lfQuality = NONANTIALIASED_QUALITY;
  FontHandle textFont(::CreateFontIndirectW(&drawn));
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

    // Drawn wide: the names of the user's locale show whatever the system's code page is.
    const std::wstring expanded = ExpandTextWide(local, tickNow);
    ::SetBkMode(dc, TRANSPARENT);
    ::SetTextColor(dc, textColour);
    // DT_MODIFYSTRING would let DrawText write past the text it is given; a
    // hand-edited FlagDT must not bring it in.
    const auto flags = static_cast<UINT>(flagDT) & ~static_cast<UINT>(DT_MODIFYSTRING);
    ::DrawTextW(dc, expanded.data(), static_cast<int>(expanded.size()), &text, flags | DT_CALCRECT);
    // Centre the block in the enlarged rectangle; the division truncates toward zero.
    const int dx = ((enlarged.right - enlarged.left) - (text.right - text.left)) / 2;
    const int dy = ((enlarged.bottom - enlarged.top) - (text.bottom - text.top)) / 2;
    ::OffsetRect(&text, dx, dy);
    ::DrawTextW(dc, expanded.data(), static_cast<int>(expanded.size()), &text, flags);
  }
  if (options.inverted) ::InvertRect(dc, &enlarged);
}

void ClockFace::CopySettingsFrom(const ClockFace& other) {
  CopyLookFrom(other);
  windowRect = other.windowRect;
  options = other.options;
  otherOptionBits = other.otherOptionBits;
}

void ClockFace::CopyLookFrom(const ClockFace& other) {
  font = other.font;
  fontFace = other.fontFace;
  textColour = other.textColour;
  backColour = other.backColour;
  flagDT = other.flagDT;
  format = other.format;
}

namespace {

// Window coordinates the system can place: anything else (a hand-edited or
// damaged file) keeps the rectangle the face had.
bool PlausibleWindowRect(const RECT& r) {
  const auto inRange = [](LONG v) { return v >= -32768 && v <= 32767; };
  return inRange(r.left) && inRange(r.top) && inRange(r.right) && inRange(r.bottom) && r.right > r.left &&
         r.bottom > r.top;
}

// The largest extent a window of this desktop can have, in 96-DPI pixels as font sizes are stored.
std::int32_t LargestWindowExtent() {
  const int pixels = std::max(::GetSystemMetrics(SM_CXVIRTUALSCREEN), ::GetSystemMetrics(SM_CYVIRTUALSCREEN));
  return std::max(DpiScale(WindowDpi::System().ForSystem()).Unscale(pixels), FaceMetrics::kFirstStartWidth);
}

}  // namespace

void ClockFace::TransferProfile(ProfileStore& store, std::string_view section, Transfer direction,
                                std::uint32_t ownersBits) {
  static_assert(sizeof(LOGFONTA) == 60, "the stored font record is 60 bytes");
  if (direction == Transfer::Load) {
    const LOGFONTA before = font;
    store.GetBinary(section, "Font", &font, &font, sizeof font);
    font.lfFaceName[LF_FACESIZE - 1] = '\0';
    // Hand-edited values that would leave the window blank keep what the face had.
    const std::int32_t largest = LargestWindowExtent();
    font.lfHeight = StoredFaceValues::FontExtent(font.lfHeight, before.lfHeight, largest);
    font.lfWidth = StoredFaceValues::FontExtent(font.lfWidth, before.lfWidth, largest);
    // A name beside the record wins; a record that can hold it takes it, so the next save
    // writes the record alone again.
    const std::string face = store.GetString(section, "FontFace", "");
    fontFace = face.empty() ? std::string() : FaceFont::PutName(face, font, AnsiCodePage::System());
    textColour = StoredFaceValues::Colour(store.GetInt(section, "ForeColor", static_cast<std::int32_t>(textColour)),
                                          textColour);
    backColour = StoredFaceValues::Colour(store.GetInt(section, "BackColor", static_cast<std::int32_t>(backColour)),
                                          backColour);
    flagDT = StoredFaceValues::DrawFlags(store.GetInt(section, "FlagDT", flagDT), flagDT);
    RECT r;
    r.left = store.GetInt(section, "left", windowRect.left);
    r.top = store.GetInt(section, "top", windowRect.top);
    r.right = store.GetInt(section, "right", windowRect.right);
    r.bottom = store.GetInt(section, "bottom", windowRect.bottom);
    if (PlausibleWindowRect(r)) windowRect = r;
    const std::uint32_t word = static_cast<std::uint32_t>(
        store.GetInt(section, "Option", static_cast<std::int32_t>(options.Word() | otherOptionBits | ownersBits)));
    options = FaceOptions::FromWord(word);
    otherOptionBits = word & ~FaceOptions::kBits;
    format = store.GetString(section, "Format", format);
  } else {
    store.WriteBinary(section, "Font", &font, sizeof font);
    if (!fontFace.empty()) store.WriteString(section, "FontFace", fontFace);
    else store.DeleteKey(section, "FontFace");
    store.WriteInt(section, "ForeColor", static_cast<std::int32_t>(textColour));
    store.WriteInt(section, "BackColor", static_cast<std::int32_t>(backColour));
    store.WriteInt(section, "FlagDT", flagDT);
    store.WriteInt(section, "left", windowRect.left);
    store.WriteInt(section, "top", windowRect.top);
    store.WriteInt(section, "right", windowRect.right);
    store.WriteInt(section, "bottom", windowRect.bottom);
    store.WriteInt(section, "Option", static_cast<std::int32_t>(options.Word() | otherOptionBits | ownersBits));
    store.WriteString(section, "Format", format);
  }
}
