// A small captionless window that shows one face: a QuickTimer's counter
// window or its "Time is Up !" message window. The running QuickTimer that
// opens it owns it.
#pragma once

#include <windows.h>

#include "face/clock_face.h"
#include "face/face_window.h"

class CounterWindow : public FaceWindow {
 public:
  CounterWindow();

  // Remembers the face; repaints the window, or creates and shows it at the
  // face's rectangle the first time. False only when creation fails.
  bool ShowFace(ClockFace* face);
  void ShowOkButton();
  // Destroys the window, leaving its rectangle in the face.
  void Close();
  ClockFace* face() const { return shownFace(); }

 protected:
  BOOL OnInitDialog() override;
  void OnOK() override;
  void OnCancel() override;
  bool OnCommand(WORD id, WORD code, HWND control) override;
  LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override;
  // The dialog manager has scaled the OK button; the window may have kept its size.
  void OnDpiChanged(int dpi, const RECT* suggested) override;

 private:
  void OnPaint();
  void KeepOkButtonInCorner();
  void ShowContextMenu(POINT client);
  void EditDisplaySettings();
};
