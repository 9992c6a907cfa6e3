// One owner-drawn menu item's record: its text, command and picture.
#pragma once

#include <windows.h>

#include <string>

class IconMenuItem {
 public:
  enum class Picture { kNone, kBitmap, kIcon };

  IconMenuItem(std::string text, UINT command) : text(std::move(text)), command(command) {}
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

 private:
  Picture kind_ = Picture::kNone;
  HANDLE picture_ = nullptr;
  bool owned_ = true;
};
