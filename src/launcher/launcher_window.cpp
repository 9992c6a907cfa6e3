#include "launcher/launcher_window.h"

#include <commctrl.h>
#include <shellapi.h>

#include <condition_variable>
#include <functional>
#include <memory>
#include <utility>
#include <vector>

#include "launcher/active_encoded_runs.h"
#include "launcher/encoded_run.h"
#include "launcher/encoded_run_watch.h"
#include "launcher/encoding_key_dialog.h"
#include "launcher/file_encoding.h"
#include "launcher/file_progress_dialog.h"
#include "launcher/file_rules.h"
#include "launcher/launcher_add_encode_dialog.h"
#include "launcher/launcher_groups.h"
#include "launcher/open_elsewhere_notice.h"
#include "launcher/proposed_name.h"
#include "launcher/restore_encoded_item.h"
#include "launcher/restore_failure_message.h"
#include "launcher/settings_journal.h"
#include "resource.h"
#include "storage/app_profile.h"
#include "storage/settings_place.h"
#include "storage/win32_file_access.h"
#include "win/ansi_code_page.h"
#include "win/dpi_scale.h"
#include "win/message_box.h"
#include "win/module_path.h"
#include "win/owned_message.h"
#include "win/string_table.h"
#include "win/unique_handle.h"
#include "win/wide_text.h"
#include "win/window_dpi.h"
#include "win/worker_thread.h"

namespace {

constexpr UINT kTellLeftFiles = WM_APP + 0x53;  // once, after start-up

// The settings files, which no stored path may name.
std::vector<std::string> SettingsFiles() { return {SettingsPlace::ExecutableIni(), SettingsPlace::AppDataIni()}; }

// The full path the system makes of a typed one, so that decoding finds its way back.
std::string FullPathOf(const std::string& path) {
  const std::wstring wide = WideText::From(path);
  const DWORD needed = ::GetFullPathNameW(wide.c_str(), 0, nullptr, nullptr);
  if (needed == 0) return path;
  std::wstring full(needed, L'\0');
  const DWORD n = ::GetFullPathNameW(wide.c_str(), needed, full.data(), nullptr);
  return (n == 0 || n >= needed) ? path : WideText::ToUtf8(std::wstring_view(full.data(), n));
}

}  // namespace

LauncherWindow::LauncherWindow(LauncherGroups& groups)
    : Dialog(IDD_LAUNCHER), groups_(groups), files_(&Win32FileAccess::Instance()) {}

bool LauncherWindow::Create(HWND clock) {
  if (!CreateModeless(clock)) return false;
  SettingsJournal::Instance().SetWindow(hwnd());
  // Told once the clock is up, not in the middle of its start.
  ::PostMessageW(hwnd(), kTellLeftFiles, 0, 0);
  return true;
}

void LauncherWindow::ShowOpenElsewhere(std::shared_ptr<EncodedRunWatch> watch) {
  const std::string name = watch->name();
  auto notice = std::make_unique<OpenElsewhereNotice>(
      name, [watch](HWND owner) { return watch->EncodeNow(owner); }, hwnd());
  // Owned by the clock, which is shown even when the launcher is not.
  HWND owner = ::GetWindow(hwnd(), GW_OWNER);
  // Without its window the watch goes, and the file stays listed for the next start.
  if (notice->Show(owner ? owner : hwnd())) notices_.push_back(std::move(notice));
}

void LauncherWindow::TellLeftFiles() {
  const std::vector<std::string> left = SettingsJournal::Instance().TakeLeftFiles(*files_);
  if (left.empty()) return;
  std::string lines;
  for (const std::string& path : left) lines += path + "\n";
  HWND owner = ::GetWindow(hwnd(), GW_OWNER);
  MessageBoxes::Show(StringTable::Format(IDS_LEFT_DECODED, {lines}), MB_OK | MB_ICONWARNING, owner ? owner : hwnd());
}

std::string LauncherWindow::ProgramDirectory() { return ModulePath::Folder(); }

LauncherGroup& LauncherWindow::Group() {
  if (groups_.size() < kLauncherTabCount) groups_.resize(kLauncherTabCount);
  if (current_ < 0 || static_cast<std::size_t>(current_) >= groups_.size()) current_ = 0;
  return groups_[static_cast<std::size_t>(current_)];
}

BOOL LauncherWindow::OnInitDialog() {
  Dialog::OnInitDialog();
  const int dpi = WindowDpi::System().ForWindow(hwnd());
  LoadIcons(dpi);
  ::SetWindowLongPtrW(hwnd(), GWL_EXSTYLE, ::GetWindowLongPtrW(hwnd(), GWL_EXSTYLE) & ~WS_EX_APPWINDOW);
  ::DragAcceptFiles(hwnd(), TRUE);

  HWND list = Item(IDC_LAUNCHER_LIST);
  ListView_SetExtendedListViewStyle(list, LVS_EX_GRIDLINES | LVS_EX_FULLROWSELECT);
  std::wstring title = WideText::From(StringTable::Load(IDS_LAUNCHER_NAME_COLUMN));
  LVCOLUMNW column{};
  column.mask = LVCF_FMT | LVCF_TEXT;
  column.fmt = LVCFMT_LEFT;
  column.pszText = title.data();
  ::SendMessageW(list, LVM_INSERTCOLUMNW, 0, reinterpret_cast<LPARAM>(&column));

  HWND tabs = Item(IDC_LAUNCHER_TABS);
  for (int i = 0; i < static_cast<int>(kLauncherTabCount); ++i) {
    std::wstring text = L" " + std::to_wstring(i + 1) + L" ";
    TCITEMW tab{};
    tab.mask = TCIF_TEXT;
    tab.pszText = text.data();
    ::SendMessageW(tabs, TCM_INSERTITEMW, static_cast<WPARAM>(i), reinterpret_cast<LPARAM>(&tab));
  }
  SizeColumnAndTabs(dpi);
  TabCtrl_SetCurSel(tabs, current_);
  FillList();
  return FALSE;  // no focus: a hidden window that took the focus would take the activation from the clock
}

void LauncherWindow::LoadIcons(int dpi) {
  HINSTANCE module = ::GetModuleHandleW(nullptr);
  const WindowDpi& system = WindowDpi::System();
  IconHandle small(system.LoadIconAt(module, IDI_VELTA, system.SystemMetric(SM_CXSMICON, dpi)));
  IconHandle big(system.LoadIconAt(module, IDI_VELTA, system.SystemMetric(SM_CXICON, dpi)));
  ::SendMessageW(hwnd(), WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(big.get()));
  ::SendMessageW(hwnd(), WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(small.get()));
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
    std::wstring name = WideText::From(group[i].name);
    LVITEMW row{};
    row.mask = LVIF_TEXT;
    row.iItem = static_cast<int>(i);
    row.pszText = name.data();
    ::SendMessageW(list, LVM_INSERTITEMW, 0, reinterpret_cast<LPARAM>(&row));
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

bool LauncherWindow::TabFull() const {
  const std::size_t current = static_cast<std::size_t>(current_);
  return current < groups_.size() && groups_[current].size() >= static_cast<std::size_t>(kMaxLauncherGroupItems);
}

void LauncherWindow::AddFromDialog(const std::string& initialPath) {
  // A full tab says so before anything is asked, encoded or deleted.
  if (TabFull()) {
    MessageBoxes::Show(StringTable::Format(IDS_TAB_FULL, {std::to_string(kMaxLauncherGroupItems)}),
                       MB_OK | MB_ICONINFORMATION, hwnd());
    return;
  }
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
  EncodedFilePlace place;
  place.files = files_;
  LauncherGroup& group = Group();
  if (item.encoded == 0) {
    if (AddItem(group, item, key, place)) GroupsChanged();
    FillList();
    return;
  }
  const std::string original = item.path = FullPathOf(item.path);
  place.directory = ProgramDirectory();
  place.fallbackDirectory = SettingsPlace::AppDataFolder();  // for a program folder that takes no new files
  place.codePage = &AnsiCodePage::System();
  const bool added = FileProgressDialog::Run(hwnd(), StringTable::Format(IDS_FILE_ENCODING, {item.name}), original,
                                             [&](FileProgress& progress) {
                                               place.progress = &progress;
                                               return AddItem(group, item, key, place);
                                             });
  FillList();
  if (!added) return;
  GroupsChanged();
  // After encoding, only the encoded file remains; a copy that could not be deleted is told.
  FileError error;
  if (!files_->Remove(original, error))
    MessageBoxes::Show(StringTable::Format(IDS_ORIGINAL_NOT_DELETED, {original, error.message}), MB_OK | MB_ICONWARNING,
                       hwnd());
}

void LauncherWindow::GroupsChanged() {
  if (HWND owner = ::GetWindow(hwnd(), GW_OWNER)) ::PostMessageW(owner, kGroupsChanged, 0, 0);
}

bool LauncherWindow::StartFile(const std::string& file, HANDLE* process) {
  const std::wstring wideFile = WideText::From(file);
  const std::wstring folder = WideText::From(FolderOf(file));
  SHELLEXECUTEINFOW info{};
  info.cbSize = sizeof info;
  // Only SEE_MASK_NOCLOSEPROCESS: the system's own "Open with" choice and error messages appear.
  info.fMask = SEE_MASK_NOCLOSEPROCESS;
  info.lpVerb = L"open";
  info.lpFile = wideFile.c_str();
  info.lpDirectory = folder.empty() ? nullptr : folder.c_str();
  info.nShow = SW_SHOWNORMAL;
  if (!::ShellExecuteExW(&info)) return false;
  KernelHandle started(info.hProcess);
  // A program that never becomes idle must not freeze the clock.
  if (started) ::WaitForInputIdle(started.get(), kInputIdleWaitMs);
  if (process != nullptr) *process = started.release();
  return true;
}

bool LauncherWindow::RunItem(const LauncherItem& item) {
  if (item.encoded == 0) return StartFile(item.path, nullptr);
  EncodingKeyDialog keyDialog;
  if (keyDialog.DoModal(hwnd()) != IDOK) return false;
  auto run = std::make_unique<EncodedRun>(item, keyDialog.key, *files_, SettingsJournal::Instance(),
                                          AnsiCodePage::System());
  run->keepRules = FileRules::Keep;
  const auto tell = [this](const std::string& text, UINT icon) { MessageBoxes::Show(text, MB_OK | icon, hwnd()); };
  if (!run->Claim()) {
    tell(StringTable::Format(IDS_ALREADY_RUNNING, {item.name}), MB_ICONINFORMATION);
    return false;
  }
  // What is at the stored path decides before anything is written: nothing there is replaced unasked.
  const std::vector<std::string> keep = SettingsFiles();
  // A restore that cannot be done says why, naming the item; a cancel says nothing.
  // (The run itself, which the watch takes over below.)
  const auto notRestored = [&, looked = run.get()](const EncodedFileOutcome& outcome) {
    const std::string text = RestoreFailureMessage::Text(RestoreFailureMessage::For::Run, item.name, item.path,
                                                         looked->target(), outcome, *files_);
    if (!text.empty()) tell(text, MB_ICONWARNING);
    return false;
  };
  bool replace = false;
  for (bool look = true; look;) {
    look = false;
    switch (run->Look(keep)) {
      case EncodedRun::Place::Free:
        break;
      case EncodedRun::Place::Unreadable:
        return notRestored(run->looked());  // a wrong key, a damaged file, no usable stored path
      case EncodedRun::Place::NotAFile:
        tell(RestoreFailureMessage::NotAFile(RestoreFailureMessage::For::Run, item.name, run->target()),
             MB_ICONWARNING);
        return false;
      case EncodedRun::Place::Protected:
        tell(StringTable::Format(IDS_TARGET_PROTECTED, {item.name, run->target()}), MB_ICONWARNING);
        return false;
      case EncodedRun::Place::Running:
        tell(StringTable::Format(IDS_TARGET_IN_USE, {run->target()}), MB_ICONINFORMATION);
        return false;
      case EncodedRun::Place::LeftByRun: {
        // Its edits go into the item first; the run then restores what the item holds.
        if (MessageBoxes::Show(StringTable::Format(IDS_TARGET_LEFT_BY_RUN, {run->target(), item.name}),
                               MB_YESNO | MB_ICONWARNING, hwnd()) != IDYES)
          return false;
        const OpenElsewhereNotice::Result back = EncodedRunWatch::EncodeAgainShown(hwnd(), *run, run->target());
        if (back.outcome != OpenElsewhereNotice::Outcome::Encoded) {
          tell(back.outcome == OpenElsewhereNotice::Outcome::Failed
                   ? back.message
                   : StringTable::Format(IDS_REENCODE_FAILED, {run->target(), StringTable::Load(IDS_FILE_IN_USE)}),
               MB_ICONWARNING);
          return false;
        }
        look = true;  // free now, or whatever came meanwhile is told as ever
        break;
      }
      case EncodedRun::Place::UserFile:
        // The default keeps the user's file.
        if (MessageBoxes::Show(StringTable::Format(IDS_TARGET_EXISTS, {run->target(), item.name}),
                               MB_YESNO | MB_DEFBUTTON2 | MB_ICONWARNING, hwnd()) != IDYES)
          return false;
        replace = true;
        break;
    }
  }
  // The watcher comes first: without one the run is refused before anything is decoded.
  auto watch = std::make_shared<EncodedRunWatch>(std::move(run), hwnd());
  if (!WorkerThread::Start([watch] { watch->Run(); })) return false;
  EncodedFileOutcome outcome;
  FileProgressDialog::Run(hwnd(), StringTable::Format(IDS_FILE_DECODING, {item.name}), item.path, [&](FileProgress& progress) {
    outcome = watch->run().Restore(replace, keep, &progress);
    return outcome.ok();
  });
  if (!outcome.ok()) {
    if (watch->run().listNotSaved())
      tell(StringTable::Format(IDS_LIST_NOT_SAVED, {item.name, outcome.error.message}), MB_ICONWARNING);
    else
      notRestored(outcome);
    watch->Abandon();
    return false;
  }
  HANDLE process = nullptr;
  if (!StartFile(outcome.path, &process)) {
    // Nothing runs: the restored copy is encoded again at once (its content is what the encoded
    // file holds, so that stays valid) and deleted; the plain file never stays behind unnoticed.
    const OpenElsewhereNotice::Result result = EncodedRunWatch::EncodeAgainShown(hwnd(), watch->run(), outcome.path);
    if (result.outcome != OpenElsewhereNotice::Outcome::Encoded)
      tell(result.outcome == OpenElsewhereNotice::Outcome::Failed
               ? result.message
               : StringTable::Format(IDS_REENCODE_FAILED, {outcome.path, StringTable::Load(IDS_FILE_IN_USE)}),
           MB_ICONWARNING);
    watch->Abandon();
    return false;
  }
  watch->Watch(process);
  return true;
}

void LauncherWindow::OnDelete() {
  const int selected = SelectedItem();
  LauncherGroup& group = Group();
  if (selected < 0 || static_cast<std::size_t>(selected) >= group.size()) return;
  if (group[static_cast<std::size_t>(selected)].encoded != 0 &&
      !RestoreEncodedItem(group[static_cast<std::size_t>(selected)], hwnd(), *files_))
    return;
  RemoveItem(Group(), static_cast<std::size_t>(selected));
  FillList();
  GroupsChanged();
}

void LauncherWindow::OnMove(int delta) {
  const int selected = SelectedItem();
  const int count = static_cast<int>(Group().size());
  const int target = selected + delta;
  if (selected < 0 || target < 0 || target >= count) return;
  SwapItems(Group(), static_cast<std::size_t>(selected), static_cast<std::size_t>(target));
  FillList();
  Select(target);
  GroupsChanged();
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
  const UINT count = ::DragQueryFileW(drop, 0xFFFFFFFF, nullptr, 0);
  for (UINT i = 0; i < count; ++i) {
    // Asked for its length first: a dropped path may be longer than MAX_PATH.
    const UINT length = ::DragQueryFileW(drop, i, nullptr, 0);
    std::wstring name(length + 1, L'\0');
    if (length == 0 || ::DragQueryFileW(drop, i, name.data(), length + 1) == 0) continue;
    names.push_back(WideText::ToUtf8(std::wstring_view(name.data(), length)));
  }
  ::DragFinish(drop);
  // Each file through the add dialog while the tab has room; what does not fit is told once.
  std::size_t left = 0;
  for (const std::string& name : names) {
    if (TabFull())
      ++left;
    else
      AddFromDialog(name);
  }
  FillList();
  if (left == 0) return;
  const std::string most = std::to_string(kMaxLauncherGroupItems);
  MessageBoxes::Show(left == names.size() ? StringTable::Format(IDS_TAB_FULL, {most})
                                          : StringTable::Format(IDS_DROP_TAB_FULL, {most, std::to_string(left)}),
                     MB_OK | MB_ICONINFORMATION, hwnd());
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

void LauncherWindow::RunSelected() {
  const int selected = SelectedItem();
  if (selected < 0 || static_cast<std::size_t>(selected) >= Group().size()) return;
  const LauncherItem item = Group()[static_cast<std::size_t>(selected)];
  RunItem(item);
  OnCancel();
}

bool LauncherWindow::PreTranslateMessage(MSG* msg) {
  // The dialog manager would turn Enter into the default button ("Execute All").
  if (msg->message == WM_KEYDOWN && msg->wParam == VK_RETURN && msg->hwnd == Item(IDC_LAUNCHER_LIST) &&
      SelectedItem() >= 0) {
    RunSelected();
    return true;
  }
  return Dialog::PreTranslateMessage(msg);
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
    if (header->idFrom == IDC_LAUNCHER_LIST && (header->code == NM_DBLCLK || header->code == NM_RETURN)) {
      RunSelected();
      ::SetWindowLongPtrW(hwnd(), DWLP_MSGRESULT, 0);
      return 0;
    }
  }
  if (message == SettingsJournal::kChangeMessage) {
    SettingsJournal::Take(lParam);
    return 0;
  }
  if (message == EncodedRunWatch::kOpenElsewhere) {
    ShowOpenElsewhere(std::move(*OwnedMessage::Take<std::shared_ptr<EncodedRunWatch>>(lParam)));
    return 0;
  }
  if (message == OpenElsewhereNotice::kDone) {
    const auto* done = reinterpret_cast<const OpenElsewhereNotice*>(lParam);
    std::erase_if(notices_, [done](const std::unique_ptr<OpenElsewhereNotice>& n) { return n.get() == done; });
    return 0;
  }
  if (message == kTellLeftFiles) {
    TellLeftFiles();
    return 0;
  }
  if (message == EncodedRunWatch::kShowMessage) {
    const std::unique_ptr<std::string> text = OwnedMessage::Take<std::string>(lParam);
    // Owned by the clock, which is shown even when the launcher is not.
    HWND owner = ::GetWindow(hwnd(), GW_OWNER);
    MessageBoxes::Show(*text, MB_OK | MB_ICONWARNING, owner ? owner : hwnd());
    return 0;
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
