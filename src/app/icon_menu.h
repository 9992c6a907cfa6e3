// A menu drawn by the application: every item of a loaded menu becomes
// owner-drawn, with a picture (16 x 16 at 96 DPI) in a column at its left; a
// checked item with a picture shows it in a pressed frame. Pictures, fonts and
// measures are those of the DPI the menu is shown at.
//
// Item records, the check image and the radio image are shared by all icon
// menus of the process (user-interface thread only): they are created with
// the first IconMenu and freed with the last, so a picture set for a command
// shows in every icon menu while any exists.
#pragma once

#include <windows.h>

#include <cstddef>
#include <optional>
#include <string>

#include "app/icon_menu_item.h"
#include "app/icon_menu_metrics.h"
#include "win/dpi_scale.h"

class IconMenu {
 public:
  enum ImageKind : int { kBitmap = 1, kIcon = 2 };

  explicit IconMenu(DpiScale scale = DpiScale());
  ~IconMenu();
  IconMenu(const IconMenu&) = delete;
  IconMenu& operator=(const IconMenu&) = delete;

  // Takes ownership of a loaded menu; it is destroyed with this object.
  void Attach(HMENU menu) { menu_ = menu; }
  HMENU menu() const { return menu_; }

  // Turns every item of the attached menu, at all levels, into an owner-drawn item.
  void MakeOwnerDrawn();

  const IconMenuMetrics& metrics() const { return metrics_; }

  // The picture for checked items without one of their own (kind kBitmap or kIcon, picture-sized).
  bool SetCheckImage(UINT resourceId, int kind);
  // Loads a resource picture and gives it to the item with `command` (owned by the record).
  bool SetItemPicture(UINT command, UINT resourceId, int kind);
  // Found: a record with `command` exists (a null handle just removes its picture).
  bool SetItemBitmap(UINT command, HBITMAP bitmap, bool owned);
  bool SetItemIcon(UINT command, HICON icon, bool owned);

  // WM_MEASUREITEM and WM_DRAWITEM for this menu's items; others are ignored.
  void MeasureItem(MEASUREITEMSTRUCT* measure) const;
  void DrawItem(const DRAWITEMSTRUCT* draw) const;
  // WM_MENUCHAR for `menu` (one of this menu's popups): the item whose access key is `key`
  // ("&" letter, or else first letter) is chosen; with several, the next after the highlight
  // is highlighted. MNC_IGNORE when none has it.
  LRESULT MenuChar(wchar_t key, HMENU menu) const;
  // A high-contrast theme is on: grayed items are drawn flat, checks as frames.
  static bool HighContrast();
  // For tests on systems that do not keep SPI_SETHIGHCONTRAST (Wine): the answer HighContrast
  // gives instead of asking; none to ask again.
  static void AssumeHighContrast(std::optional<bool> on);

  // The size an item of `text` asks for, measured with the font selected in `dc`.
  static SIZE MeasureText(HDC dc, const std::string& text, bool submenu,
                          const IconMenuMetrics& metrics = IconMenuMetrics());

  // The shared records (for the owner and for tests).
  static IconMenuItem* FindItem(UINT command);
  static std::size_t ItemCount();
  static int LiveCount();

 private:
  void Convert(HMENU menu);
  bool DrawCheck(HDC dc, const RECT& box, const IconMenuItem& item, bool inactive, COLORREF ink) const;
  static IconMenuItem* Lookup(ULONG_PTR itemData, UINT id);

  HMENU menu_ = nullptr;
  int depth_ = 1;
  DpiScale scale_;
  IconMenuMetrics metrics_;
};
