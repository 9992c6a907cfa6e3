// The display block of one window: font, colours, alignment, format, the
// window's stored rectangle and option word; draws the formatted time.
#pragma once

#include <windows.h>

#include <cstdint>
#include <ctime>
#include <string>
#include <string_view>

#include "face/face_options.h"
#include "face/tick_countdown.h"

#include "storage/profile_store.h"
#include "win/dpi_scale.h"

class ClockFace {
 public:
  ClockFace();
  // With a nonzero string id the format is that string-table text.
  explicit ClockFace(UINT formatStringId);
  virtual ~ClockFace() = default;
  ClockFace(const ClockFace&) = default;
  ClockFace& operator=(const ClockFace&) = default;

  virtual BOOL IsCountdown() const { return FALSE; }

  // How the text's edges are drawn: as the font and the system's smoothing make
  // them, or sharp, every pixel of the text in the text colour.
  enum class TextEdges { kSystem, kSharp };
  // Paints `rect` with the background colour and the expanded text of that moment, in the
  // font made for `dpi` (the DPI of what is drawn on).
  void Draw(HDC dc, RECT rect, int dpi, const std::tm& local, std::uint32_t tickNow,
            TextEdges edges = TextEdges::kSystem) const;
  // The text Draw shows for that moment, as UTF-8 and as the wide text Draw draws; the format
  // is UTF-8 and the names are the user's locale's.
  std::string ExpandText(const std::tm& local, std::uint32_t tickNow) const;
  std::wstring ExpandTextWide(const std::tm& local, std::uint32_t tickNow) const;
  // The countdown a countdown face shows; none for a plain face.
  virtual const TickCountdown* ShownCountdown() const { return nullptr; }

  // The window size (at `dpi`, sizing frame included) that shows `text` whole in the face's
  // font, with some air around it; never less than a first start's 400 x 200 (at 96 DPI).
  SIZE WindowSizeFor(const std::wstring& text, int dpi) const;

  // Copies the settings (font, colours, FlagDT, rectangle, Option, format); never the variant.
  void CopySettingsFrom(const ClockFace& other);
  // Copies the look alone (font, colours, FlagDT, format): what the display-settings
  // dialog edits. The rectangle and the Option word stay the window's.
  void CopyLookFrom(const ClockFace& other);

  // Loads or saves the settings as the display key set in `section` of the
  // store. Keys in order: "Font" (and "FontFace" only when needed), "ForeColor", "BackColor", "FlagDT", "left",
  // "top", "right", "bottom", "Option", "Format"; a missing key leaves its
  // member as it is, and a stored rectangle no window could have is ignored.
  // The Option word is composed here alone: the face's options, its other bits and
  // `ownersBits`, the bits of the word's other owners (on a load: the default when the key is
  // missing; the owners take their bits out of otherOptionBits afterwards).
  void TransferProfile(ProfileStore& store, std::string_view section, Transfer direction,
                       std::uint32_t ownersBits = 0);

  static std::tm LocalNow();

  // The font as it is made for drawing at `dpi`: the stored font is a 96-DPI
  // font, so a settings file looks the same on every display.
  LOGFONTW FontAtDpi(int dpi) const;
  // Takes a 96-DPI font (the font dialog's, the system's) into the record and the face beside it.
  void SetFont(const LOGFONTW& font96);

  // The stored font: "lfHeight" is a 96-DPI value; the face name in the system's ANSI code page.
  LOGFONTA font{};
  // The face name when the record cannot hold it (UTF-8, "FontFace" in the settings); it wins
  // over the record's name. Empty when the record holds the name.
  std::string fontFace;
  COLORREF textColour = 0x00FFFFFF;
  COLORREF backColour = 0x00000000;
  std::int32_t flagDT = DT_CENTER;
  RECT windowRect{0, 0, 400, 200};
  FaceOptions options;
  // The bits of the stored Option word that are not the face's: another owner's (the clock
  // window's, time adjustment's), who takes them after a load, or a later version's, kept.
  std::uint32_t otherOptionBits = 0;
  std::string format = "%Y/%m/%d (%a) %H:%M";
};
