#include "win/message_box.h"

#include "win/modal_windows.h"
#include "win/string_table.h"
#include "win/wide_text.h"

int MessageBoxes::Show(const std::string& text, UINT type, HWND owner) {
  if (owner == nullptr) owner = ::GetActiveWindow();
  ModalWindows::Scope running;
  return ::MessageBoxW(owner, WideText::From(text).c_str(), WideText::From(StringTable::AppName()).c_str(), type);
}

int MessageBoxes::ShowString(UINT stringId, UINT type, HWND owner) {
  return Show(StringTable::Load(stringId), type, owner);
}
