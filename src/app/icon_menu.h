// A menu drawn by the application: every item of a loaded menu becomes
// owner-drawn, with a 16 x 16 picture in a column at its left; a checked item
// with a picture shows it in a pressed frame.
//
// Item records, the check image and the radio image are shared by all icon
// menus of the process (user-interface thread only): they are created with
// the first IconMenu and freed with the last, so a picture set for a command
// shows in every icon menu while any exists.
#pragma once

#include <windows.h>

#include <cstddef>
#include <string>

#include "app/icon_menu_item.h"

class IconMenu {
 public:
  enum ImageKind : int { kBitmap = 1, kIcon = 2 };

  // Layout of an item rectangle (L, T, R, B), in pixels.
  static constexpr int kPictureRight = 18;      // picture box (L + 1, T + 1, L + 18, B - 1)
  static constexpr int kTextLeft = 22;          // text starts at L + 22
  static constexpr int kAcceleratorWidth = 50;  // the accelerator column: the item's last 50 pixels
  static constexpr int kMinimumHeight = 18;
  static constexpr int kPictureColumn = 18;     // extra width for the picture column
  static constexpr int kSubmenuArrow = 16;      // and for the arrow of an item that opens a submenu

  IconMenu();
  ~IconMenu();
  IconMenu(const IconMenu&) = delete;
  IconMenu& operator=(const IconMenu&) = delete;

  // Takes ownership of a loaded menu; it is destroyed with this object.
  void Attach(HMENU menu) { menu_ = menu; }
  HMENU menu() const { return menu_; }

  // Turns every item of the attached menu, at all levels, into an owner-drawn item.
  void MakeOwnerDrawn();

  // The picture for checked items without one of their own (kind kBitmap or kIcon, 16 x 16).
  bool SetCheckImage(UINT resourceId, int kind);
  // Loads a resource picture and gives it to the item with `command` (owned by the record).
  bool SetItemPicture(UINT command, UINT resourceId, int kind);
  // Found: a record with `command` exists (a null handle just removes its picture).
  bool SetItemBitmap(UINT command, HBITMAP bitmap, bool owned);
  bool SetItemIcon(UINT command, HICON icon, bool owned);

  // WM_MEASUREITEM and WM_DRAWITEM for this menu's items; others are ignored.
  void MeasureItem(MEASUREITEMSTRUCT* measure) const;
  void DrawItem(const DRAWITEMSTRUCT* draw) const;

  // The size an item of `text` asks for, measured with the font selected in `dc`.
  static SIZE MeasureText(HDC dc, const std::string& text, bool submenu);

  // The shared records (for the owner and for tests).
  static IconMenuItem* FindItem(UINT command);
  static std::size_t ItemCount();
  static int LiveCount();

 private:
  void Convert(HMENU menu);
  bool DrawCheck(HDC dc, const RECT& box, const IconMenuItem& item, bool inactive) const;
  static IconMenuItem* Lookup(ULONG_PTR itemData, UINT id);

  HMENU menu_ = nullptr;
  int depth_ = 1;
};
