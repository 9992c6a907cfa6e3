// A captionless dialog window that shows one ClockFace: the base of the clock
// window and of the QuickTimer counter and message windows. It does what such
// a window does with its face's option bits: the sizing frame (hidden when
// frameless, shown while the mouse is over the window), the topmost band, the
// see-through shape and its paint, moving the window by its face, and the
// menu items and commands for these. It draws at the DPI of its monitor and
// follows it when the window moves to a monitor of another scale, and it
// comes back onto the desktop when the displays or the work area change.
#pragma once

#include <windows.h>

#include <cstdint>
#include <ctime>

#include "face/clock_face.h"
#include "face/face_options.h"
#include "win/accessible_text.h"
#include "win/dialog.h"
#include "win/dpi_scale.h"

class FaceWindow : public Dialog {
 public:
  // Takes the hover frame away again once the mouse has left the window.
  static constexpr UINT_PTR kHoverTimer = 3;

  // "Topmost" and "Window Frame" checked by the option word; "Transparent"
  // offered only without a frame (a framed window is never see-through) and
  // checked then by its bit, grayed otherwise.
  static void SetFaceMenuStates(HMENU menu, const FaceOptions& options);

  // What screen readers read as the window's text: the face's text as last drawn.
  const AccessibleText& accessibleText() const { return accessible_; }

 protected:
  // `hoverPeriodMs`: how often the hover timer looks whether the mouse has left.
  FaceWindow(UINT templateId, UINT hoverPeriodMs) : Dialog(templateId), hoverPeriod_(hoverPeriodMs) {}

  // The DPI the window draws at: its monitor's.
  int dpi() const { return dpi_; }
  DpiScale scale() const { return DpiScale(dpi_); }

  // Dialog initialisation: takes the window's DPI.
  BOOL OnInitDialog() override;
  // WM_DPICHANGED: the window takes the rectangle the system suggests for the
  // new DPI and draws anew (font and see-through shape are made at each paint).
  // While the program places the window itself, only the DPI is taken.
  virtual void OnDpiChanged(int dpi, const RECT* suggested);
  // Puts the window at a rectangle in screen pixels (a stored one): it keeps
  // that size even where the move takes it to a monitor of another DPI.
  void PlaceWindow(const RECT& r);
  // Less of a window than this (96-DPI pixels, across or down) on a monitor cannot be taken hold of.
  static constexpr int kLeastVisible = 16;
  // A window off its monitor, or holding less than kLeastVisible of it, comes back wholly into the
  // monitor's work area (as it is placed at a stored rectangle, and after the desktop changed);
  // one with more of it on the monitor, over the taskbar too, stays exactly where it is.
  void KeepOnDesktop();
  // The displays or the work area changed: KeepOnDesktop.
  virtual void OnDesktopChanged() { KeepOnDesktop(); }

  // The face shown; none until the derived window sets it.
  ClockFace* shownFace() const { return face_; }
  void SetFace(ClockFace* face) { face_ = face; }

  // The frame as the option word wants it: none when frameless.
  void ApplyFrameSetting();
  // In or out of the topmost band as the option word wants it, never activating the window.
  void ApplyTopmost();
  // "Topmost", "Window Frame" and "Transparent": toggles the bit and applies it.
  // False, with nothing done, for any other command.
  bool OnFaceCommand(WORD id);

  // While the mouse is over the window it has its sizing frame, so it can be
  // resized; the hover timer takes the frame away once the mouse has left.
  void ShowHoverFrame();
  void StartHoverTimer();
  void EndHover();
  // Ends the hover when the cursor is no longer over the window.
  void OnHoverTimer();
  // The system moves the window with the mouse until the button is released, frame or not.
  void DragWindow();
  // WM_MOUSEMOVE: the hover frame and its timer.
  virtual void OnMouseMove();

  // Paints the face at the window's DPI and what DrawOverlay adds, for one moment. See-through
  // when that is allowed here, the face asks for it and the window has no frame: the window's
  // shape is cut to the drawn pixels; otherwise the window loses any shape it had.
  void PaintFace(HDC dc, bool seeThroughAllowed);
  // Drawn over the face in the same picture. forShape: the picture the shape
  // is cut from, where nothing of the overlay may be the background colour.
  virtual void DrawOverlay(HDC dc, const RECT& client, bool forShape) {}

  LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override;

  // The text the face shows now, as screen readers get it (the client area's name); they are
  // told when it changes. Every paint of the face calls it.
  void TellShownText();

 private:
  void TellShownText(const std::tm& local, std::uint32_t tickNow);
  // The see-through picture: the face drawn sharp off screen with the overlay's shape picture,
  // the window cut to what is not the background, the overlay drawn over it, all copied to `dc`.
  // False when it cannot be made (nothing drawn, no picture), the window's shape left as it was.
  bool PaintSeeThrough(HDC dc, const RECT& client, const std::tm& local, std::uint32_t tickNow);

  ClockFace* face_ = nullptr;
  AccessibleText accessible_;
  UINT hoverPeriod_;
  int dpi_ = DpiScale::kBaseDpi;
  bool placing_ = false;
};
