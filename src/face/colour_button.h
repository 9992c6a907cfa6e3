// An owner-drawn push button that shows a colour and drops down a ColourGrid
// to change it; after a change it posts a notification chosen by its owner.
#pragma once

#include <windows.h>

#include "win/window.h"

class ColourGrid;

class ColourButton : public Window {
 public:
  static constexpr UINT kFirstCellId = 1312;
  // Posted to itself when "..." was chosen, so the colour dialog opens after the grid has closed.
  static constexpr UINT kColourDialogMessage = WM_USER + 314;

  ColourButton() = default;

  // Takes over the owner-drawn button `id` of `dialog`.
  bool SubclassItem(HWND dialog, int id);

  void SetColour(COLORREF colour);
  COLORREF GetColour() const { return colour_; }

  // Where the notification goes after a change; none while notifyWindow is null.
  HWND notifyWindow = nullptr;
  UINT notifyMessage = 0;
  WPARAM notifyWParam = 0;
  LPARAM notifyLParam = 0;

 protected:
  LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override;
  bool OnChildNotify(UINT message, WPARAM wParam, LPARAM lParam, LRESULT* result) override;
  void DrawItem(const DRAWITEMSTRUCT* item);

 private:
  void DropDown();
  void OnCell(int index);
  void OnColourDialog();
  void Notify();

  COLORREF colour_ = 0;
  const ColourGrid* grid_ = nullptr;  // while the grid is shown
};
