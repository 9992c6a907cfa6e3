// One owner-drawn menu item's record: its text, command and picture.
#pragma once

#include <windows.h>
#include <oleacc.h>

#include <string>

class IconMenuItem {
 public:
  enum class Picture { kNone, kBitmap, kIcon };

  IconMenuItem(std::string text, UINT command);
  ~IconMenuItem() { SetPicture(Picture::kNone, nullptr, true); }
  IconMenuItem(const IconMenuItem&) = delete;
  IconMenuItem& operator=(const IconMenuItem&) = delete;

  // Frees the current picture if this record owns it, then keeps `handle` (none when null).
  void SetPicture(Picture kind, HANDLE handle, bool owned);

  Picture kind() const { return kind_; }
  HANDLE picture() const { return picture_; }
  bool HasPicture() const { return kind_ != Picture::kNone && picture_ != nullptr; }

  std::string text;  // at most 63 characters; a tab separates an accelerator text
  UINT command;
  bool submenu = false;

  // What the menu holds as the item's data. It starts with the item's name for assistive
  // technology (an owner-drawn item has no text of its own the system could read).
  struct ItemData {
    MSAAMENUINFO accessible;
    IconMenuItem* item;
  };
  ULONG_PTR itemData() const { return reinterpret_cast<ULONG_PTR>(&data_); }

 private:
  std::wstring name_;  // the text as assistive technology gets it, wide
  ItemData data_{};
  Picture kind_ = Picture::kNone;
  HANDLE picture_ = nullptr;
  bool owned_ = true;
};
