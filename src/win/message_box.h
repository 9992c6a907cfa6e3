// Message boxes captioned with the application's name.
#pragma once

#include <windows.h>

#include <string>

class MessageBoxes {
 public:
  // Owner null: the active window of this thread, if any (as the framework does).
  static int Show(const std::string& text, UINT type, HWND owner = nullptr);
  static int ShowString(UINT stringId, UINT type, HWND owner = nullptr);
};
