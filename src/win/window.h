// Base of every window object: one window procedure turns messages into a
// virtual call, "Default" hands a message on to the procedure it replaced.
#pragma once

#include <windows.h>

class Window {
 public:
  Window() = default;
  virtual ~Window();
  Window(const Window&) = delete;
  Window& operator=(const Window&) = delete;

  HWND hwnd() const { return hwnd_; }
  static Window* FromHandle(HWND window);

  // True while one of this object's handlers runs, nested loops (a menu, a drag,
  // a modal dialog) included: the object must outlive that call, even when its
  // window has gone meanwhile.
  bool InHandler() const { return dispatchDepth_ > 0; }

  // Leaves a trace of an exception stopped at the boundary to the system's code
  // (`where` names the boundary); nothing else is done with it.
  static void TraceStoppedException(const char* where) noexcept;

  // The application's main window: owner of modal dialogs opened with no owner.
  static HWND MainWindow() { return mainWindow_; }
  static void SetMainWindow(HWND window) { mainWindow_ = window; }

  // Creates a window of the class shared by all Window objects.
  bool Create(DWORD exStyle, const char* title, DWORD style, int x, int y, int width, int height,
              HWND parent, HMENU menuOrId = nullptr);

  // Changes the window style; with swpFlags, SetWindowPos applies the change (SWP_FRAMECHANGED).
  bool ModifyStyle(DWORD remove, DWORD add, UINT swpFlags = 0);

  // Runs PreTranslateMessage of the window the message is for and of its
  // ancestors; true when one of them has handled it.
  static bool PreTranslate(MSG* msg);

  // One message pump turn: false when WM_QUIT came (and is posted again).
  static bool PumpMessage();

 protected:
  virtual LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam);
  virtual bool PreTranslateMessage(MSG* msg) { return false; }
  // A message its parent received about this control (WM_DRAWITEM, WM_MEASUREITEM,
  // WM_NOTIFY, WM_CTLCOLOR*, WM_COMMAND notifications), offered to the control's
  // own object first; true with *result when handled, so the parent does not see it.
  // Runs outside this window's own message: Default() must not be called here.
  virtual bool OnChildNotify(UINT message, WPARAM wParam, LPARAM lParam, LRESULT* result) { return false; }

  // The default processing of the message being handled.
  LRESULT Default();

  void Attach(HWND window, WNDPROC previous);
  // Routes an existing window's messages to this object (used for dialogs).
  void Subclass(HWND window);

 private:
  static LRESULT CALLBACK StaticWndProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
  static LRESULT Dispatch(Window* self, HWND window, UINT message, WPARAM wParam, LPARAM lParam);
  // Offers a parent's message to the object of the child control it concerns.
  static bool ReflectToChild(HWND window, UINT message, WPARAM wParam, LPARAM lParam, LRESULT* result);

  HWND hwnd_ = nullptr;
  WNDPROC previous_ = nullptr;
  MSG current_{};
  int dispatchDepth_ = 0;
  static inline HWND mainWindow_ = nullptr;
};
