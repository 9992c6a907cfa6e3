// The modal dialogs and message boxes running on the user-interface thread, so that a
// command that would open another one, or end the program under them, can bring the one
// the user has to finish to the front instead.
#pragma once

#include <windows.h>

#include <vector>

class ModalWindows {
 public:
  // Registers one modal loop for its lifetime: a dialog (its window, known once it is
  // created) or a message box (whose window the system keeps to itself: null).
  class Scope {
   public:
    explicit Scope(HWND window = nullptr);
    ~Scope();
    Scope(const Scope&) = delete;
    Scope& operator=(const Scope&) = delete;
    void SetWindow(HWND window) { window_ = window; }
    HWND window() const { return window_; }

   private:
    HWND window_;
  };

  // True while a modal dialog or message box runs besides the main window's own loop.
  static bool Open();
  // The window the user has to finish first: the innermost modal dialog, or a message box or
  // system dialog (colour, font, file) it, or the main window, has opened over itself. Null
  // when nothing modal is open.
  static HWND Front();
  // Brings Front() to the front; false when nothing modal is open.
  static bool BringForward();

 private:
  static std::vector<Scope*>& Scopes();
};
