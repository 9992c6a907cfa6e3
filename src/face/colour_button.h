// An owner-drawn push button that shows a colour and drops down a ColourGrid
// to change it; after a change it tells its parent as controls do, with
// WM_COMMAND carrying its id and the notification code kColourChanged.
#pragma once

#include <windows.h>

#include "win/window.h"

class ColourGrid;

class ColourButton : public Window {
 public:
  static constexpr UINT kFirstCellId = 1312;
  // Posted to itself when "..." was chosen, so the colour dialog opens after the grid has closed.
  static constexpr UINT kColourDialogMessage = WM_USER + 314;
  // The WM_COMMAND notification code of a changed colour.
  static constexpr WORD kColourChanged = 0x8001;

  ColourButton() = default;

  // Takes over the owner-drawn button `id` of `dialog`.
  bool SubclassItem(HWND dialog, int id);

  void SetColour(COLORREF colour);
  COLORREF GetColour() const { return colour_; }

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
