// A small captionless window that shows one face: a QuickTimer's counter
// window or its "Time is Up !" message window. The object deletes itself once
// its native window is gone.
#pragma once

#include <windows.h>

#include "face/clock_face.h"
#include "win/dialog.h"

class CounterWindow : public Dialog {
 public:
  CounterWindow();
  // Deleted by PostNcDestroy once its window is gone; directly only if it never had one.
  ~CounterWindow() override = default;

  // Remembers the face; repaints the window, or creates and shows it at the
  // face's rectangle the first time. False only when creation fails.
  bool ShowFace(ClockFace* face);
  void ShowOkButton();
  ClockFace* face() const { return face_; }

  enum TimerId : UINT_PTR { kHoverTimer = 1 };

 protected:
  BOOL OnInitDialog() override;
  void OnOK() override;
  void OnCancel() override;
  bool OnCommand(WORD id, WORD code, HWND control) override;
  LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override;
  void PostNcDestroy() override;

 private:
  void OnPaint();
  void KeepOkButtonInCorner();
  void ApplyFrameSetting();
  void ApplyTopmost();
  void ShowContextMenu(POINT client);
  void EditDisplaySettings();
  ClockFace* face_ = nullptr;
};
