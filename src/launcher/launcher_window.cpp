#include "launcher/launcher_window.h"

#include <commctrl.h>
#include <shellapi.h>

#include <condition_variable>
#include <memory>
#include <mutex>
#include <utility>
#include <vector>

#include "launcher/active_encoded_runs.h"
#include "launcher/encoding_key_dialog.h"
#include "launcher/file_encoding.h"
#include "launcher/file_progress_dialog.h"
#include "launcher/launcher_add_encode_dialog.h"
#include "launcher/launcher_groups.h"
#include "launcher/open_elsewhere_notice.h"
#include "launcher/proposed_name.h"
#include "launcher/restore_encoded_item.h"
#include "launcher/restored_file_journal.h"
#include "resource.h"
#include "storage/app_profile.h"
#include "storage/ini_profile_store.h"
#include "storage/settings_place.h"
#include "storage/win32_file_access.h"
#include "win/ansi_code_page.h"
#include "win/dpi_scale.h"
#include "win/message_box.h"
#include "win/module_path.h"
#include "win/string_table.h"
#include "win/unique_handle.h"
#include "win/wide_text.h"
#include "win/window_dpi.h"
#include "win/worker_thread.h"

namespace {

constexpr UINT kReencodeFailed = WM_APP + 0x52;  // lParam: a new std::string, the message to show
constexpr UINT kTellLeftFiles = WM_APP + 0x53;   // once, after start-up
constexpr UINT kOpenElsewhere = WM_APP + 0x55;   // lParam: a new std::shared_ptr<EncodedRunWatch>
constexpr UINT kTakeOffList = WM_APP + 0x56;     // lParam: a new std::string, a file encoded and deleted

// One change of the list of restored files, saved at once. Only the user-interface thread makes
// them, as it makes every other save of the settings, so no save works from an older copy.
bool ChangeJournal(bool (*change)(ProfileStore&, const std::string&), const std::string& path) {
  IniProfileStore store;
  return change(store, path) && store.Save().ok();
}

// True when another program has the file open: it cannot be had without sharing.
bool OpenElsewhere(const std::string& path) {
  HANDLE file = ::CreateFileW(WideText::From(path).c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) {
    const DWORD code = ::GetLastError();
    return code == ERROR_SHARING_VIOLATION || code == ERROR_LOCK_VIOLATION;
  }
  ::CloseHandle(file);
  return false;
}

// What tells one content of a file from a later one without reading it.
struct FileStamp {
  FILETIME written{};
  std::uint64_t size = 0;
  bool operator==(const FileStamp& o) const {
    return written.dwLowDateTime == o.written.dwLowDateTime && written.dwHighDateTime == o.written.dwHighDateTime &&
           size == o.size;
  }
};
FileStamp StampOf(const std::string& path) {
  WIN32_FILE_ATTRIBUTE_DATA data{};
  FileStamp stamp;
  if (::GetFileAttributesExW(WideText::From(path).c_str(), GetFileExInfoStandard, &data)) {
    stamp.written = data.ftLastWriteTime;
    stamp.size = (static_cast<std::uint64_t>(data.nFileSizeHigh) << 32) | data.nFileSizeLow;
  }
  return stamp;
}

// The attributes and access rules of a file, put back on the new file that replaces it.
class FileRules {
 public:
  explicit FileRules(const std::string& path) : attributes_(::GetFileAttributesW(WideText::From(path).c_str())) {
    const std::wstring wide = WideText::From(path);
    DWORD needed = 0;
    ::GetFileSecurityW(wide.c_str(), DACL_SECURITY_INFORMATION, nullptr, 0, &needed);
    if (needed == 0) return;
    security_.resize(needed);
    if (!::GetFileSecurityW(wide.c_str(), DACL_SECURITY_INFORMATION, security_.data(), needed, &needed))
      security_.clear();
  }
  void ApplyTo(const std::string& path) {
    const std::wstring wide = WideText::From(path);
    if (!security_.empty()) ::SetFileSecurityW(wide.c_str(), DACL_SECURITY_INFORMATION, security_.data());
    if (attributes_ != INVALID_FILE_ATTRIBUTES) ::SetFileAttributesW(wide.c_str(), attributes_);
  }

 private:
  DWORD attributes_;
  std::vector<BYTE> security_;
};

// Encodes a restored file again over its item's encoded file (the same name, its attributes
// and access rules kept) and deletes it; the caller then takes it off the list. A file that
// changes while it is encoded is encoded again, so no edit is lost. InUse: another program has
// the file open, or kept changing it; Failed: the plain file stays, listed, and the message
// says why.
OpenElsewhereNotice::Result EncodeAgain(const std::string& restoredPath, const LauncherItem& item,
                                        const std::string& key, FileProgress* progress = nullptr) {
  using Outcome = OpenElsewhereNotice::Outcome;
  if (OpenElsewhere(restoredPath)) return {Outcome::InUse, std::string()};
  FileRules rules(item.path);
  bool settled = false;
  for (int attempt = 0; attempt < 3 && !settled; ++attempt) {
    const FileStamp before = StampOf(restoredPath);
    const EncodedFileOutcome outcome =
        EncodeFileTo(restoredPath, item.path, key, Win32FileAccess::Instance(), progress, AnsiCodePage::System());
    if (!outcome.ok()) return {Outcome::Failed, StringTable::Format(IDS_REENCODE_FAILED, {restoredPath, outcome.error.message})};
    rules.ApplyTo(item.path);
    settled = StampOf(restoredPath) == before;
  }
  if (!settled) return {Outcome::InUse, std::string()};
  // The plain copy goes only once the encoded file has been replaced whole.
  if (!::DeleteFileW(WideText::From(restoredPath).c_str())) {
    const DWORD code = ::GetLastError();
    if (code == ERROR_SHARING_VIOLATION || code == ERROR_ACCESS_DENIED || code == ERROR_LOCK_VIOLATION)
      return {Outcome::InUse, std::string()};
    return {Outcome::Failed, StringTable::Format(IDS_REENCODE_FAILED, {restoredPath, StringTable::Load(IDS_FILE_IN_USE)})};
  }
  return {Outcome::Encoded, std::string()};
}

// EncodeAgain on the user-interface thread: the work runs on a worker behind a progress window.
OpenElsewhereNotice::Result EncodeAgainShown(HWND owner, const std::string& restoredPath, const LauncherItem& item,
                                             const std::string& key) {
  OpenElsewhereNotice::Result result;
  FileProgressDialog::Run(owner, StringTable::Format(IDS_FILE_ENCODING, {item.name}), restoredPath, [&](FileProgress& progress) {
    result = EncodeAgain(restoredPath, item, key, &progress);
    return result.outcome == OpenElsewhereNotice::Outcome::Encoded;
  });
  if (result.outcome == OpenElsewhereNotice::Outcome::Encoded) ChangeJournal(RestoredFileJournal::Clear, restoredPath);
  return result;
}

}  // namespace

// One started encoded item, watched by a thread of its own: once the program ends, its
// restored file is encoded again over the item's encoded file and deleted. The thread is made
// before anything is decoded, so a restored file never lacks a watcher; until the program is
// started the thread waits, and it simply ends when nothing was started. When there is no
// process to wait for (the file went to a program that was running already), or the file is
// still open elsewhere after the process ended (it was a starter that handed the file on), the
// watch goes to a notice on the user-interface thread, which keeps it, and so the run's count,
// until the user has the file encoded.
class EncodedRunWatch : public std::enable_shared_from_this<EncodedRunWatch> {
 public:
  EncodedRunWatch(LauncherItem item, std::string key, HWND notify)
      : item_(std::move(item)), key_(std::move(key)), notify_(notify) {}

  void Watch(HANDLE process, std::string restoredPath) {
    {
      std::lock_guard<std::mutex> lock(mutex_);
      process_.reset(process);
      restoredPath_ = std::move(restoredPath);
      state_ = State::Watching;
    }
    changed_.notify_all();
  }

  void Abandon() {
    {
      std::lock_guard<std::mutex> lock(mutex_);
      state_ = State::Abandoned;
    }
    changed_.notify_all();
  }

  void Run() {
    {
      std::unique_lock<std::mutex> lock(mutex_);
      changed_.wait(lock, [this] { return state_ != State::Waiting; });
      if (state_ == State::Abandoned) return;
    }
    if (process_) {
      if (::WaitForSingleObject(process_.get(), INFINITE) != WAIT_OBJECT_0) return;
      ::Sleep(100);
      const OpenElsewhereNotice::Result result = EncodeAgain(restoredPath_, item_, key_);
      if (result.outcome == OpenElsewhereNotice::Outcome::Encoded) {
        // Without the window the entry stays; the next start drops it, as the file is gone.
        auto* path = new std::string(restoredPath_);
        if (!::PostMessageW(notify_, kTakeOffList, 0, reinterpret_cast<LPARAM>(path))) delete path;
        return;
      }
      if (result.outcome == OpenElsewhereNotice::Outcome::Failed) {
        // The plain file is kept, so nothing is lost; the user is told it lies there unencoded.
        auto* text = new std::string(result.message);
        if (!::PostMessageW(notify_, kReencodeFailed, 0, reinterpret_cast<LPARAM>(text))) delete text;
        return;
      }
    }
    // The user is asked to encode it once it is closed; without a window to ask in, the file
    // stays listed and is named at the next start.
    auto* self = new std::shared_ptr<EncodedRunWatch>(shared_from_this());
    if (!::PostMessageW(notify_, kOpenElsewhere, 0, reinterpret_cast<LPARAM>(self))) delete self;
  }

  // "Encode now" of the notice, on the user-interface thread once the watcher is done.
  OpenElsewhereNotice::Result EncodeNow(HWND owner) { return EncodeAgainShown(owner, restoredPath_, item_, key_); }
  const std::string& name() const { return item_.name; }

 private:
  enum class State { Waiting, Watching, Abandoned };

  LauncherItem item_;
  std::string key_;
  HWND notify_;
  EncodedRunCount counted_;  // counted from before anything is decoded until the watch is gone
  std::mutex mutex_;
  std::condition_variable changed_;
  State state_ = State::Waiting;
  KernelHandle process_;
  std::string restoredPath_;
};

namespace {

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
  std::vector<std::string> left;
  {
    IniProfileStore store;
    left = RestoredFileJournal::TakeLeftFiles(store, *files_);
    // A list that cannot be emptied is told again at the next start: better than never.
    store.Save();
  }
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
  if (item.encoded != 0) {
    const std::string original = item.path = FullPathOf(item.path);
    EncodedFilePlace place;
    place.directory = ProgramDirectory();
    place.fallbackDirectory = SettingsPlace::AppDataFolder();  // for a program folder that takes no new files
    place.codePage = &AnsiCodePage::System();
    place.files = files_;
    const bool encoded = FileProgressDialog::Run(hwnd(), StringTable::Format(IDS_FILE_ENCODING, {item.name}), original,
                                                 [&](FileProgress& progress) {
                                                   place.progress = &progress;
                                                   return PrepareItem(item, key, place);
                                                 });
    if (!encoded) {
      FillList();
      return;
    }
    // After encoding, only the encoded file remains.
    ::DeleteFileW(WideText::From(original).c_str());
  }
  Group().push_back(item);
  FillList();
  GroupsChanged();
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
  // The watcher comes first: without one the run is refused before anything is decoded.
  auto watch = std::make_shared<EncodedRunWatch>(item, keyDialog.key, hwnd());
  if (!WorkerThread::Start([watch] { watch->Run(); })) return false;
  // The plain file is listed before it is written, so that a run the clock does not live to
  // see the end of is told at the next start. A wrong key or a damaged file lists nothing.
  EncodedFileInfo info;
  std::string listed;
  if (InspectEncodedFile(item.path, keyDialog.key, info, false, *files_, AnsiCodePage::System()).ok() &&
      info.pathReadable) {
    listed = info.storedPath;
    if (!ChangeJournal(RestoredFileJournal::Record, listed)) listed.clear();
  }
  EncodedFileOutcome outcome;
  FileProgressDialog::Run(hwnd(), StringTable::Format(IDS_FILE_DECODING, {item.name}), item.path, [&](FileProgress& progress) {
    outcome = DecodeEncodedFile(item.path, keyDialog.key, {}, *files_, &progress, AnsiCodePage::System());
    return outcome.ok();
  });
  if (!outcome.ok()) {
    if (!listed.empty()) ChangeJournal(RestoredFileJournal::Clear, listed);
    watch->Abandon();
    return false;
  }
  HANDLE process = nullptr;
  if (!StartFile(outcome.path, &process)) {
    // Nothing runs: the restored copy is encoded again at once (its content is what the encoded
    // file holds, so that stays valid) and deleted; the plain file never stays behind unnoticed.
    const OpenElsewhereNotice::Result result = EncodeAgainShown(hwnd(), outcome.path, item, keyDialog.key);
    if (result.outcome != OpenElsewhereNotice::Outcome::Encoded)
      MessageBoxes::Show(result.outcome == OpenElsewhereNotice::Outcome::Failed
                             ? result.message
                             : StringTable::Format(IDS_REENCODE_FAILED, {outcome.path, StringTable::Load(IDS_FILE_IN_USE)}),
                         MB_OK | MB_ICONWARNING, hwnd());
    watch->Abandon();
    return false;
  }
  watch->Watch(process, outcome.path);
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
  if (message == kTakeOffList) {
    const std::unique_ptr<std::string> path(reinterpret_cast<std::string*>(lParam));
    ChangeJournal(RestoredFileJournal::Clear, *path);
    return 0;
  }
  if (message == kOpenElsewhere) {
    std::unique_ptr<std::shared_ptr<EncodedRunWatch>> watch(reinterpret_cast<std::shared_ptr<EncodedRunWatch>*>(lParam));
    ShowOpenElsewhere(std::move(*watch));
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
  if (message == kReencodeFailed) {
    const std::unique_ptr<std::string> text(reinterpret_cast<std::string*>(lParam));
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
