// A value handed to a window's thread with a posted message: the receiver takes it back owned,
// and a message that cannot be posted (the window is gone) frees it at once, so nothing leaks.
#pragma once

#include <windows.h>

#include <memory>
#include <utility>

class OwnedMessage {
 public:
  // Posts `message` to `window` with the value in lParam; false when it could not be posted.
  template <typename T>
  static bool Post(HWND window, UINT message, T value) {
    auto owned = std::make_unique<T>(std::move(value));
    if (!::PostMessageW(window, message, 0, reinterpret_cast<LPARAM>(owned.get()))) return false;
    owned.release();  // the receiver's Take owns it now
    return true;
  }
  // The value a Post of the same T put in lParam.
  template <typename T>
  static std::unique_ptr<T> Take(LPARAM lParam) {
    return std::unique_ptr<T>(reinterpret_cast<T*>(lParam));
  }
};
