// The drop-down of a colour button: an owner-drawn popup menu of 4 columns by
// 6 rows, the default palette's 20 colours, three system colours and "...".
#pragma once

#include <windows.h>
#include <oleacc.h>

#include <array>
#include <string>

#include "win/dpi_scale.h"
#include "win/unique_handle.h"

class ColourGrid {
 public:
  static constexpr int kColumns = 4;
  static constexpr int kRows = 6;
  static constexpr int kCells = kColumns * kRows;
  static constexpr int kOtherCell = kCells - 1;
  // The colour of the "..." cell, which opens the colour dialog.
  static constexpr COLORREF kOtherColour = 0xFFFFFFFF;

  // Fills the cells from the palette and the system colours of this moment.
  ColourGrid();
  ColourGrid(const ColourGrid&) = delete;
  ColourGrid& operator=(const ColourGrid&) = delete;

  // Creates the popup: cell i carries command firstId + i; the cell of `current`
  // is checked. Cells measure (size - 4) x (size + 4) at 96 DPI, scaled to `scale`.
  bool Build(UINT firstId, COLORREF current, int size, DpiScale scale = DpiScale());
  HMENU menu() const { return menu_.get(); }

  COLORREF Cell(int index) const { return cells_[static_cast<size_t>(index)]; }
  // The first cell showing `colour`; the "..." cell when none does.
  int FindCell(COLORREF colour) const;

  // A cell's item data: its name for assistive technology first (the cells are drawn, so the
  // system has no text of theirs), then its colour.
  struct Entry {
    MSAAMENUINFO accessible;
    COLORREF colour;
  };
  // What screen readers read for a cell: its red, green and blue, or "Other colour...".
  const std::wstring& Name(int index) const { return names_[static_cast<size_t>(index)]; }

  void MeasureItem(MEASUREITEMSTRUCT* item) const;
  void DrawItem(const DRAWITEMSTRUCT* item) const;
  // One cell (or a colour button's swatch) in `q` of `dc`, for the given draw action and state.
  static void DrawCell(HDC dc, RECT q, COLORREF colour, UINT action, UINT state, DpiScale scale = DpiScale());

 private:
  int columns_ = kColumns;
  int rows_ = kRows;
  RECT cellSize_{};
  DpiScale scale_;
  std::array<COLORREF, kCells> cells_{};  // index = column * rows + row
  std::array<std::wstring, kCells> names_;
  std::array<Entry, kCells> entries_{};
  MenuHandle menu_;
};
