#include "face/colour_grid.h"

#include "face/face_metrics.h"
#include "resource.h"
#include "win/string_table.h"
#include "win/wide_text.h"

ColourGrid::ColourGrid() {
  PALETTEENTRY palette[20] = {};
  auto stock = static_cast<HPALETTE>(::GetStockObject(DEFAULT_PALETTE));
  // An unreadable palette leaves its cells black; the others stay valid.
  if (stock != nullptr && ::GetPaletteEntries(stock, 0, 20, palette) == 20) {
    for (int i = 0; i < 20; ++i) cells_[static_cast<size_t>(i)] = RGB(palette[i].peRed, palette[i].peGreen, palette[i].peBlue);
  }
  cells_[20] = ::GetSysColor(COLOR_MENU);
  cells_[21] = ::GetSysColor(COLOR_WINDOW);
  cells_[22] = ::GetSysColor(COLOR_BTNFACE);
  cells_[kOtherCell] = kOtherColour;
}

int ColourGrid::FindCell(COLORREF colour) const {
  for (int i = 0; i < kOtherCell; ++i)
    if (cells_[static_cast<size_t>(i)] == colour) return i;
  return kOtherCell;
}

bool ColourGrid::Build(UINT firstId, COLORREF current, int size, DpiScale scale) {
  menu_.reset(::CreatePopupMenu());
  if (!menu_) return false;
  scale_ = scale;
  const FaceMetrics::Size cell = FaceMetrics(scale).GridCell(size);
  cellSize_ = RECT{0, 0, cell.width, cell.height};
  // Column by column, each top to bottom; a break starts each column after the first.
  for (int i = 0; i < columns_ * rows_; ++i) {
    const auto index = static_cast<size_t>(i);
    const COLORREF colour = cells_[index];
    names_[index] = WideText::From(
        i == kOtherCell ? StringTable::Load(IDS_COLOUR_OTHER)
                        : StringTable::Format(IDS_COLOUR_CELL, {std::to_string(GetRValue(colour)),
                                                                std::to_string(GetGValue(colour)),
                                                                std::to_string(GetBValue(colour))}));
    Entry& entry = entries_[index];
    entry.accessible.dwMSAASignature = static_cast<DWORD>(MSAA_MENU_SIG);
    entry.accessible.cchWText = static_cast<DWORD>(names_[index].size());
    entry.accessible.pszWText = names_[index].data();
    entry.colour = colour;
    UINT flags = MF_OWNERDRAW;
    if (i % rows_ == 0 && i != 0) flags |= MF_MENUBREAK;
    if (!::AppendMenuW(menu_.get(), flags, firstId + static_cast<UINT>(i), reinterpret_cast<LPCWSTR>(&entry))) {
      menu_.reset();
      return false;
    }
  }
  ::CheckMenuRadioItem(menu_.get(), firstId, firstId + kCells - 1, firstId + static_cast<UINT>(FindCell(current)),
                       MF_BYCOMMAND);
  return true;
}

void ColourGrid::MeasureItem(MEASUREITEMSTRUCT* item) const {
  item->itemWidth = static_cast<UINT>(cellSize_.right - cellSize_.left);
  item->itemHeight = static_cast<UINT>(cellSize_.bottom - cellSize_.top);
}

void ColourGrid::DrawItem(const DRAWITEMSTRUCT* item) const {
  // Item data is trusted only when it is one of this grid's cells.
  const auto* first = entries_.data();
  const auto* entry = reinterpret_cast<const Entry*>(item->itemData);
  if (entry < first || entry >= first + entries_.size()) return;
  DrawCell(item->hDC, item->rcItem, entry->colour, item->itemAction, item->itemState, scale_);
}

void ColourGrid::DrawCell(HDC dc, RECT q, COLORREF colour, UINT action, UINT state, DpiScale scale) {
  SavedDcGuard saved(dc);
  ::SelectObject(dc, ::GetStockObject(NULL_PEN));
  const bool selected = (state & ODS_SELECTED) != 0;
  bool drawnSelected = false;
  if (action & ODA_SELECT) {
    if (selected) {
      ::FillRect(dc, &q, ::GetSysColorBrush(COLOR_HIGHLIGHT));
      ::DrawEdge(dc, &q, BDR_RAISEDINNER, BF_RECT);
      ::SetBkColor(dc, ::GetSysColor(COLOR_HIGHLIGHT));
      drawnSelected = true;
    } else {
      RECT around = q;
      ::InflateRect(&around, 1, 1);
      BrushHandle back(::CreateSolidBrush(::GetBkColor(dc)));
      ::FillRect(dc, &around, back.get());
    }
  }
  if ((state & ODS_CHECKED) && !drawnSelected) ::DrawFrameControl(dc, &q, DFC_BUTTON, DFCS_BUTTONPUSH | DFCS_CHECKED);
  if (colour == kOtherColour) {
    // In the system's colours, so a high-contrast theme shows it.
    ::SetTextColor(dc, ::GetSysColor(selected ? COLOR_HIGHLIGHTTEXT : COLOR_MENUTEXT));
    ::SetBkMode(dc, TRANSPARENT);
    ::DrawTextW(dc, L"...", 3, &q, DT_SINGLELINE | DT_VCENTER | DT_CENTER);
    ::DrawEdge(dc, &q, EDGE_RAISED, BF_RECT);
    return;
  }
  BrushHandle brush(::CreateSolidBrush(colour));
  PenHandle pen(::CreatePen(PS_SOLID, scale.Scale(1), RGB(0x80, 0x80, 0x80)));
  SelectGuard penScope(dc, pen.get());
  SelectGuard brushScope(dc, brush.get());
  const int inset = scale.Scale(3);
  ::Rectangle(dc, q.left + inset, q.top + inset, q.right - inset, q.bottom - inset);
}
