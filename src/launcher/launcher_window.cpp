#include "launcher/launcher_window.h"

#include <commctrl.h>
#include <shellapi.h>

#include <cstdio>
#include <memory>
#include <utility>
#include <vector>

#include "launcher/active_encoded_runs.h"
#include "launcher/encoding_key_dialog.h"
#include "launcher/file_encoding.h"
#include "launcher/launcher_add_encode_dialog.h"
#include "launcher/launcher_groups.h"
#include "launcher/proposed_name.h"
#include "launcher/restore_encoded_item.h"
#include "resource.h"
#include "storage/app_profile.h"
#include "win/string_table.h"
#include "win/dpi_scale.h"
#include "win/unique_handle.h"
#include "win/window_dpi.h"
#include "win/worker_thread.h"

namespace {

// What a watcher thread owns: the started process, the item, the restored file and the key.
struct WatcherRecord {
  HANDLE process = nullptr;
  LauncherItem item;
  std::string restoredPath;
  std::string key;
  EncodedRunCount counted;  // counted from before the thread starts until it is done
  ~WatcherRecord() {
    if (process) ::CloseHandle(process);
  }
};

void WatchEncodedRun(const std::shared_ptr<WatcherRecord>& record) {
  if (::WaitForSingleObject(record->process, INFINITE) != WAIT_OBJECT_0) return;
  ::Sleep(100);
  // The plain copy goes only once the encoded file has been replaced whole.
  if (EncodeFile(record->restoredPath, record->item.path, record->key))
    ::DeleteFileA(record->restoredPath.c_str());
}

}  // namespace

LauncherWindow::LauncherWindow(LauncherGroups& groups) : Dialog(IDD_LAUNCHER), groups_(groups) {}

bool LauncherWindow::Create(HWND clock) { return CreateModeless(clock); }

std::string LauncherWindow::ProgramDirectory() {
  char buffer[MAX_PATH * 2] = {};
  const DWORD length = ::GetModuleFileNameA(nullptr, buffer, sizeof buffer);
  const std::string folder = FolderOf(std::string(buffer, length), AnsiLeadByte);
  return folder.empty() ? std::string() : folder + "\\";
}

LauncherGroup& LauncherWindow::Group() {
  if (groups_.size() < kLauncherTabCount) groups_.resize(kLauncherTabCount);
  if (current_ < 0 || static_cast<std::size_t>(current_) >= groups_.size()) current_ = 0;
  return groups_[static_cast<std::size_t>(current_)];
}

BOOL LauncherWindow::OnInitDialog() {
  Dialog::OnInitDialog();
  const int dpi = WindowDpi::System().ForWindow(hwnd());
  LoadIcons(dpi);
  ::SetWindowLongPtrA(hwnd(), GWL_EXSTYLE, ::GetWindowLongPtrA(hwnd(), GWL_EXSTYLE) & ~WS_EX_APPWINDOW);
  ::DragAcceptFiles(hwnd(), TRUE);

  HWND list = Item(IDC_LAUNCHER_LIST);
  ListView_SetExtendedListViewStyle(list, LVS_EX_GRIDLINES | LVS_EX_FULLROWSELECT);
  std::string title = StringTable::Load(IDS_LAUNCHER_NAME_COLUMN);
  LVCOLUMNA column{};
  column.mask = LVCF_FMT | LVCF_TEXT;
  column.fmt = LVCFMT_LEFT;
  column.pszText = title.data();
  ::SendMessageA(list, LVM_INSERTCOLUMNA, 0, reinterpret_cast<LPARAM>(&column));

  HWND tabs = Item(IDC_LAUNCHER_TABS);
  for (int i = 0; i < static_cast<int>(kLauncherTabCount); ++i) {
    char text[16];
    std::snprintf(text, sizeof text, " %d ", i + 1);
    TCITEMA tab{};
    tab.mask = TCIF_TEXT;
    tab.pszText = text;
    ::SendMessageA(tabs, TCM_INSERTITEMA, static_cast<WPARAM>(i), reinterpret_cast<LPARAM>(&tab));
  }
  SizeColumnAndTabs(dpi);
  TabCtrl_SetCurSel(tabs, current_);
  FillList();
  return FALSE;  // no focus: a hidden window that took the focus would take the activation from the clock
}

void LauncherWindow::LoadIcons(int dpi) {
  HINSTANCE module = ::GetModuleHandleA(nullptr);
  const WindowDpi& system = WindowDpi::System();
  IconHandle small(system.LoadIconAt(module, IDI_VELTA, system.SystemMetric(SM_CXSMICON, dpi)));
  IconHandle big(system.LoadIconAt(module, IDI_VELTA, system.SystemMetric(SM_CXICON, dpi)));
  ::SendMessageA(hwnd(), WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(big.get()));
  ::SendMessageA(hwnd(), WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(small.get()));
  bigIcon_ = std::move(big);
  smallIcon_ = std::move(small);
}

void LauncherWindow::SizeColumnAndTabs(int dpi) {
  const DpiScale scale(dpi);
  HWND list = Item(IDC_LAUNCHER_LIST);
  RECT client{};
  ::GetClientRect(list, &client);
  ListView_SetColumnWidth(list, 0, client.right - client.left - scale.Scale(20));

  HWND tabs = Item(IDC_LAUNCHER_TABS);
  ::GetClientRect(tabs, &client);
  int width = (client.right - client.left) / 5 - scale.Scale(3);
  const int height = (client.bottom - client.top) / 2 - scale.Scale(2);
  TabCtrl_SetItemSize(tabs, width, height);
  // Two rows of five: where the control puts more space between buttons than that allows
  // for, narrow the buttons until five fit in a row.
  while (TabCtrl_GetRowCount(tabs) > 2 && width > 8) TabCtrl_SetItemSize(tabs, --width, height);
}

void LauncherWindow::FillList() {
  HWND list = Item(IDC_LAUNCHER_LIST);
  ListView_DeleteAllItems(list);
  const LauncherGroup& group = Group();
  for (std::size_t i = 0; i < group.size(); ++i) {
    std::string name = group[i].name;
    LVITEMA row{};
    row.mask = LVIF_TEXT;
    row.iItem = static_cast<int>(i);
    row.pszText = name.data();
    ::SendMessageA(list, LVM_INSERTITEMA, 0, reinterpret_cast<LPARAM>(&row));
  }
}

int LauncherWindow::SelectedItem() const {
  return static_cast<int>(ListView_GetNextItem(Item(IDC_LAUNCHER_LIST), -1, LVNI_SELECTED));
}

void LauncherWindow::Select(int row) {
  ListView_SetItemState(Item(IDC_LAUNCHER_LIST), row, LVIS_SELECTED | LVIS_FOCUSED, LVIS_SELECTED | LVIS_FOCUSED);
}

void LauncherWindow::ToggleLauncher(HWND clock) {
  if (::IsWindowVisible(hwnd())) {
    ::ShowWindow(hwnd(), SW_HIDE);
    return;
  }
  RECT desktop{0, 0, 1, 1};
  if (HWND desk = ::GetDesktopWindow()) ::GetClientRect(desk, &desktop);
  RECT clockRect{}, own{};
  ::GetWindowRect(clock, &clockRect);
  ::GetWindowRect(hwnd(), &own);
  const int height = own.bottom - own.top;
  const int y = clockRect.top > (desktop.top + desktop.bottom) / 2 ? clockRect.top - height : clockRect.bottom;
  ::SetWindowPos(hwnd(), HWND_TOPMOST, clockRect.left, y, 0, 0, SWP_NOSIZE | SWP_NOACTIVATE);
  ::ShowWindow(hwnd(), SW_SHOWNOACTIVATE);
}

void LauncherWindow::AddFromDialog(const std::string& initialPath) {
  LauncherItem item;
  std::string key;
  if (AppProfile::ExMode() != 0) {
    LauncherAddEncodeDialog dialog;
    dialog.path = initialPath;
    if (dialog.DoModal(hwnd()) != IDOK) return;
    item.path = dialog.path;
    item.name = dialog.name;
    item.encoded = dialog.encode;
    key = dialog.key;
  } else {
    LauncherAddDialog dialog;
    dialog.path = initialPath;
    if (dialog.DoModal(hwnd()) != IDOK) return;
    item.path = dialog.path;
    item.name = dialog.name;
  }
  const EncodedFilePlace place{ProgramDirectory(), AnsiLeadByte};
  if (AddItem(Group(), item, key, place) && item.encoded != 0) ::DeleteFileA(item.path.c_str());
  FillList();
}

bool LauncherWindow::RunItem(const LauncherItem& item) {
  std::string file = item.path;
  std::string key;
  if (item.encoded != 0) {
    EncodingKeyDialog keyDialog;
    if (keyDialog.DoModal(hwnd()) != IDOK) return false;
    key = keyDialog.key;
    if (!DecodeFile(item.path, key, file)) return false;
  }
  const std::string folder = FolderOf(file, AnsiLeadByte);
  SHELLEXECUTEINFOA info{};
  info.cbSize = sizeof info;
  info.fMask = SEE_MASK_NOCLOSEPROCESS | SEE_MASK_FLAG_NO_UI;  // a failed start shows no message of its own
  info.lpVerb = "open";
  info.lpFile = file.c_str();
  info.lpDirectory = folder.empty() ? nullptr : folder.c_str();
  info.nShow = SW_SHOWNORMAL;
  if (!::ShellExecuteExA(&info)) return false;
  // A program that never becomes idle must not freeze the clock.
  if (info.hProcess) ::WaitForInputIdle(info.hProcess, kInputIdleWaitMs);
  if (item.encoded == 0) {
    if (info.hProcess) ::CloseHandle(info.hProcess);
    return true;
  }
  auto record = std::make_shared<WatcherRecord>();
  record->process = info.hProcess;
  record->item = item;
  record->restoredPath = file;
  record->key = std::move(key);
  WorkerThread::Start([record] { WatchEncodedRun(record); });
  return true;
}

void LauncherWindow::OnDelete() {
  const int selected = SelectedItem();
  LauncherGroup& group = Group();
  if (selected < 0 || static_cast<std::size_t>(selected) >= group.size()) return;
  if (group[static_cast<std::size_t>(selected)].encoded != 0 &&
      !RestoreEncodedItem(group[static_cast<std::size_t>(selected)], hwnd()))
    return;
  RemoveItem(Group(), static_cast<std::size_t>(selected));
  FillList();
}

void LauncherWindow::OnMove(int delta) {
  const int selected = SelectedItem();
  const int count = static_cast<int>(Group().size());
  const int target = selected + delta;
  if (selected < 0 || target < 0 || target >= count) return;
  SwapItems(Group(), static_cast<std::size_t>(selected), static_cast<std::size_t>(target));
  FillList();
  Select(target);
}

void LauncherWindow::OnExecuteAll() {
  const LauncherGroup items = Group();  // a dialog in RunItem must not see the list change under it
  for (const LauncherItem& item : items) {
    if (!RunItem(item)) break;
  }
  OnCancel();
}

void LauncherWindow::OnDropFiles(HDROP drop) {
  std::vector<std::string> names;
  for (UINT i = 0;; ++i) {
    char name[MAX_PATH] = {};
    if (::DragQueryFileA(drop, i, name, MAX_PATH) == 0) break;
    names.emplace_back(name);
  }
  ::DragFinish(drop);
  for (const std::string& name : names) AddFromDialog(name);
  FillList();
}

void LauncherWindow::OnOK() {}

void LauncherWindow::OnCancel() { ::ShowWindow(hwnd(), SW_HIDE); }

bool LauncherWindow::OnCommand(WORD id, WORD code, HWND control) {
  if (code != BN_CLICKED && control != nullptr) return Dialog::OnCommand(id, code, control);
  switch (id) {
    case IDC_LAUNCHER_ADD:
      AddFromDialog(std::string());
      return true;
    case IDC_LAUNCHER_UP:
      OnMove(-1);
      return true;
    case IDC_LAUNCHER_DOWN:
      OnMove(1);
      return true;
    case IDC_LAUNCHER_DEL:
      OnDelete();
      return true;
    case IDC_LAUNCHER_EXECUTE_ALL:
      OnExecuteAll();
      return true;
    default:
      return Dialog::OnCommand(id, code, control);
  }
}

LRESULT LauncherWindow::WindowProc(UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_NOTIFY) {
    const auto* header = reinterpret_cast<const NMHDR*>(lParam);
    if (header->idFrom == IDC_LAUNCHER_TABS && header->code == TCN_SELCHANGE) {
      const int selected = TabCtrl_GetCurSel(Item(IDC_LAUNCHER_TABS));
      current_ = selected < 0 ? 0 : selected;
      FillList();
      return 0;
    }
    if (header->idFrom == IDC_LAUNCHER_LIST && header->code == NM_DBLCLK) {
      const int selected = SelectedItem();
      if (selected >= 0 && static_cast<std::size_t>(selected) < Group().size()) {
        const LauncherItem item = Group()[static_cast<std::size_t>(selected)];
        RunItem(item);
        OnCancel();
      }
      ::SetWindowLongPtrA(hwnd(), DWLP_MSGRESULT, 0);
      return 0;
    }
  }
  if (message == WM_DPICHANGED) {
    // Moved to a monitor of another scale: the dialog manager scales the controls, the
    // window takes the suggested rectangle, and the column, tabs and icons follow.
    const LRESULT result = Default();
    if (const auto* r = reinterpret_cast<const RECT*>(lParam))
      ::SetWindowPos(hwnd(), nullptr, r->left, r->top, r->right - r->left, r->bottom - r->top,
                     SWP_NOZORDER | SWP_NOACTIVATE);
    LoadIcons(HIWORD(wParam));
    SizeColumnAndTabs(HIWORD(wParam));
    return result;
  }
  if (message == WM_DROPFILES) {
    OnDropFiles(reinterpret_cast<HDROP>(wParam));
    return Default();
  }
  return Dialog::WindowProc(message, wParam, lParam);
}
