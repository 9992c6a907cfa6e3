#include "launcher/open_elsewhere_notice.h"

#include <utility>

#include "resource.h"
#include "win/message_box.h"
#include "win/string_table.h"

namespace {
constexpr UINT_PTR kReminderTimer = 1;
}

OpenElsewhereNotice::OpenElsewhereNotice(std::string name, EncodeNow encode, HWND done)
    : Dialog(IDD_OPEN_ELSEWHERE), name_(std::move(name)), encode_(std::move(encode)), done_(done) {}

bool OpenElsewhereNotice::Show(HWND owner) {
  if (!CreateModeless(owner)) return false;
  ::ShowWindow(hwnd(), SW_SHOWNORMAL);
  return true;
}

BOOL OpenElsewhereNotice::OnInitDialog() {
  SetText(IDS_OPEN_ELSEWHERE);
  // Beside the clock's other windows, in the middle of the screen the clock is on.
  RECT own{}, area{};
  ::GetWindowRect(hwnd(), &own);
  MONITORINFO monitor{};
  monitor.cbSize = sizeof monitor;
  if (::GetMonitorInfoW(::MonitorFromWindow(hwnd(), MONITOR_DEFAULTTONEAREST), &monitor)) area = monitor.rcWork;
  const int w = own.right - own.left, h = own.bottom - own.top;
  ::SetWindowPos(hwnd(), nullptr, area.left + (area.right - area.left - w) / 2,
                 area.top + (area.bottom - area.top - h) / 2, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
  return TRUE;
}

void OpenElsewhereNotice::SetText(UINT id) {
  SetItemText(IDC_OPEN_ELSEWHERE_TEXT, StringTable::Format(id, {name_}));
}

void OpenElsewhereNotice::OnCancel() {
  ::ShowWindow(hwnd(), SW_HIDE);
  ::SetTimer(hwnd(), kReminderTimer, kReminderMs, nullptr);
}

bool OpenElsewhereNotice::OnCommand(WORD id, WORD code, HWND control) {
  if (id != IDC_ENCODE_NOW) return Dialog::OnCommand(id, code, control);
  const Result result = encode_(hwnd());
  switch (result.outcome) {
    case Outcome::Encoded:
      ::DestroyWindow(hwnd());
      ::PostMessageW(done_, kDone, 0, reinterpret_cast<LPARAM>(this));
      break;
    case Outcome::InUse:
      SetText(IDS_STILL_OPEN);
      break;
    case Outcome::Failed:
      MessageBoxes::Show(result.message, MB_OK | MB_ICONWARNING, hwnd());
      break;
  }
  return true;
}

LRESULT OpenElsewhereNotice::WindowProc(UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_TIMER && wParam == kReminderTimer) {
    ::KillTimer(hwnd(), kReminderTimer);
    ::ShowWindow(hwnd(), SW_SHOWNORMAL);
    return 0;
  }
  return Dialog::WindowProc(message, wParam, lParam);
}
