#include "win/message_box.h"

#include "win/string_table.h"

int MessageBoxes::Show(const std::string& text, UINT type, HWND owner) {
  if (owner == nullptr) owner = ::GetActiveWindow();
  const std::string caption = StringTable::AppName();
  return ::MessageBoxA(owner, text.c_str(), caption.c_str(), type);
}

int MessageBoxes::ShowString(UINT stringId, UINT type, HWND owner) {
  return Show(StringTable::Load(stringId), type, owner);
}
