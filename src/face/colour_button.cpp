#include "face/colour_button.h"

#include <commdlg.h>

#include "face/colour_grid.h"
#include "face/face_metrics.h"
#include "win/unique_handle.h"
#include "win/window_dpi.h"

bool ColourButton::SubclassItem(HWND dialog, int id) {
  HWND button = ::GetDlgItem(dialog, id);
  if (button == nullptr) return false;
  Subclass(button);
  return true;
}

void ColourButton::SetColour(COLORREF colour) {
  colour_ = colour;
  if (hwnd() != nullptr && ::IsWindow(hwnd())) ::InvalidateRect(hwnd(), nullptr, FALSE);
}

void ColourButton::Notify() {
  HWND parent = ::GetParent(hwnd());
  if (parent == nullptr) return;
  ::SendMessageW(parent, WM_COMMAND, MAKEWPARAM(::GetDlgCtrlID(hwnd()), kColourChanged),
                 reinterpret_cast<LPARAM>(hwnd()));
}

void ColourButton::DropDown() {
  RECT r;
  ::GetWindowRect(hwnd(), &r);
  ColourGrid grid;
  if (!grid.Build(kFirstCellId, colour_, FaceMetrics::kSwatchSize, DpiScale(WindowDpi::System().ForWindow(hwnd()))))
    return;
  grid_ = &grid;
  ::TrackPopupMenu(grid.menu(), TPM_RIGHTBUTTON, r.left, r.bottom, 0, hwnd(), nullptr);
  grid_ = nullptr;
}

void ColourButton::OnCell(int index) {
  if (index == ColourGrid::kOtherCell) {
    ::PostMessageW(hwnd(), kColourDialogMessage, ColourGrid::kCells, ColourGrid::kCells);
    return;
  }
  const ColourGrid grid;
  SetColour(grid.Cell(index));
  Notify();
}

void ColourButton::OnColourDialog() {
  static COLORREF customColours[16] = {};
  CHOOSECOLORW choose{};
  choose.lStructSize = sizeof(choose);
  choose.hwndOwner = ::GetParent(hwnd());
  choose.rgbResult = colour_;
  choose.lpCustColors = customColours;
  choose.Flags = CC_RGBINIT;
  if (::ChooseColorW(&choose)) {
    SetColour(choose.rgbResult);
    Notify();
  }
}

void ColourButton::DrawItem(const DRAWITEMSTRUCT* item) {
  HDC dc = item->hDC;
  SavedDcGuard saved(dc);
  const DpiScale scale(WindowDpi::System().ForWindow(hwnd()));
  RECT r = item->rcItem;
  const int margin = scale.Scale(2);
  const RECT arrowBox{r.right - scale.Scale(18), r.top + margin, r.right - margin, r.bottom - margin};
  const bool disabled = (item->itemState & ODS_DISABLED) != 0;
  ::SetBkColor(dc, disabled ? RGB(0x80, 0x80, 0x80) : RGB(0xFF, 0xFF, 0xFF));
  ::SelectObject(dc, ::GetStockObject(disabled ? LTGRAY_BRUSH : WHITE_BRUSH));
  UINT arrow = DFCS_SCROLLDOWN | (disabled ? DFCS_INACTIVE : 0);
  RECT frame = r;
  r.right -= scale.Scale(16);
  ::Rectangle(dc, r.left, r.top, r.right, r.bottom);
  ::InflateRect(&r, -1, -1);
  ColourGrid::DrawCell(dc, r, colour_, item->itemAction, item->itemState, scale);
  ::DrawEdge(dc, &frame, EDGE_SUNKEN, BF_RECT);
  if ((item->itemAction & ODA_SELECT) && (item->itemState & ODS_SELECTED)) arrow |= DFCS_FLAT;
  RECT a = arrowBox;
  ::DrawFrameControl(dc, &a, DFC_SCROLL, arrow);
  if (item->itemState & ODS_FOCUS) {
    ::InflateRect(&r, -margin, -margin);
    ::DrawFocusRect(dc, &r);
  }
}

bool ColourButton::OnChildNotify(UINT message, WPARAM wParam, LPARAM lParam, LRESULT* result) {
  if (message == WM_DRAWITEM) {
    DrawItem(reinterpret_cast<const DRAWITEMSTRUCT*>(lParam));
    *result = TRUE;
    return true;
  }
  if (message == WM_COMMAND && HIWORD(wParam) == BN_CLICKED) {
    DropDown();
    *result = 0;
    return true;
  }
  return false;
}

LRESULT ColourButton::WindowProc(UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_COMMAND: {
      const UINT id = LOWORD(wParam);
      if (id >= kFirstCellId && id < kFirstCellId + ColourGrid::kCells) {
        OnCell(static_cast<int>(id - kFirstCellId));
        return 0;
      }
      break;
    }
    case kColourDialogMessage:
      OnColourDialog();
      return 0;
    case WM_MEASUREITEM: {
      auto* item = reinterpret_cast<MEASUREITEMSTRUCT*>(lParam);
      if (item->CtlType == ODT_MENU && grid_ != nullptr) {
        grid_->MeasureItem(item);
        return TRUE;
      }
      break;
    }
    case WM_DRAWITEM: {
      const auto* item = reinterpret_cast<const DRAWITEMSTRUCT*>(lParam);
      if (item->CtlType == ODT_MENU && grid_ != nullptr) {
        grid_->DrawItem(item);
        return TRUE;
      }
      break;
    }
    default:
      break;
  }
  return Default();
}
