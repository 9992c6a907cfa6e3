#include "app/icon_menu_item.h"

void IconMenuItem::SetPicture(Picture kind, HANDLE handle, bool owned) {
  if (owned_ && picture_ != nullptr) {
    if (kind_ == Picture::kBitmap) ::DeleteObject(static_cast<HBITMAP>(picture_));
    else if (kind_ == Picture::kIcon) ::DestroyIcon(static_cast<HICON>(picture_));
  }
  picture_ = nullptr;
  kind_ = Picture::kNone;
  owned_ = true;
  if (handle != nullptr && kind != Picture::kNone) {
    picture_ = handle;
    kind_ = kind;
    owned_ = owned;
  }
}
