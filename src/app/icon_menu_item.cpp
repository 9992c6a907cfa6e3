#include "app/icon_menu_item.h"

#include "win/wide_text.h"

IconMenuItem::IconMenuItem(std::string itemText, UINT itemCommand)
    : text(std::move(itemText)), command(itemCommand), name_(WideText::From(text)) {
  // The same text a plain item holds: "&" marks its access key, a tab its shortcut.
  data_.accessible.dwMSAASignature = static_cast<DWORD>(MSAA_MENU_SIG);
  data_.accessible.cchWText = static_cast<DWORD>(name_.size());
  data_.accessible.pszWText = name_.data();
  data_.item = this;
}

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
