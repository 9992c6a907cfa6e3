// The launcher window under Wine: its controls, placement, list editing, adding and dropping.
#include "launcher/launcher_window.h"

#include <gtest/gtest.h>
#include <commctrl.h>
#include <shellapi.h>
#include <shlobj.h>

#include <atomic>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <memory>

#include "launcher/active_encoded_runs.h"
#include "storage/app_profile.h"
#include "launcher/crc32.h"
#include "launcher/file_encoding.h"
#include "launcher/file_progress_dialog.h"
#include "launcher/launcher_groups.h"
#include "launcher/restored_file_journal.h"
#include "storage/ini_profile_store.h"
#include "launcher_test_files.h"
#include "resource.h"
#include "ui_script.h"
#include "whole_buffer_image.h"
#include "win/wide_text.h"
#include "storage/faulty_files.h"
#include "storage/win32_file_access.h"
#include "win/string_table.h"
#include "win/unique_handle.h"
#include "win/window.h"

namespace {

// The application's own profile: "Settings" under the company key and this program's name.
std::string SettingsKey() {
  return std::string("Software\\") + AppProfile::kCompanyKey + "\\" + StringTable::AppName() + "\\Settings";
}

// Sets "ExMode" for one test (-1 removes it) and puts back what was there.
class ExModeSetting {
 public:
  explicit ExModeSetting(int value) {
    HKEY key = nullptr;
    ::RegCreateKeyExA(HKEY_CURRENT_USER, SettingsKey().c_str(), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key, nullptr);
    key_.reset(key);
    DWORD size = sizeof old_;
    hadOld_ = ::RegQueryValueExA(key, "ExMode", nullptr, nullptr, reinterpret_cast<BYTE*>(&old_), &size) == ERROR_SUCCESS;
    Set(value);
  }
  ~ExModeSetting() { Set(hadOld_ ? static_cast<int>(old_) : -1); }
  void Set(int value) {
    if (value < 0) {
      ::RegDeleteValueA(key_.get(), "ExMode");
    } else {
      const DWORD v = static_cast<DWORD>(value);
      ::RegSetValueExA(key_.get(), "ExMode", 0, REG_DWORD, reinterpret_cast<const BYTE*>(&v), sizeof v);
    }
  }

 private:
  RegKeyHandle key_;
  DWORD old_ = 0;
  bool hadOld_ = false;
};

// A step answering the shell's own error message (a message box captioned "Error").
UiScript::Step ShellErrorBox() {
  return [](HWND w) {
    char cls[32] = {};
    ::GetClassNameA(w, cls, sizeof cls);
    if (std::string(cls) != "#32770" || UiScript::Title(w) != "Error" || !::IsWindowEnabled(w)) return false;
    ::PostMessageA(w, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), 0);
    return true;
  };
}

// The launcher's test program (it leaves "<name>.mark" with its start time) copied as `name`.
std::string CopyOfMarkHelper(const std::string& dir, const std::string& name) {
  char self[MAX_PATH] = {};
  ::GetModuleFileNameA(nullptr, self, MAX_PATH);
  const std::filesystem::path helper = std::filesystem::path(self).parent_path() / "launcher_mark_helper.exe";
  std::filesystem::copy_file(helper, dir + name, std::filesystem::copy_options::overwrite_existing);
  return dir + name;
}

// The process start time written into a mark, once the mark is there (0 after 15 s without).
unsigned long long MarkTime(const std::string& mark) {
  for (int i = 0; i < 150; ++i) {
    if (std::FILE* f = std::fopen(mark.c_str(), "r")) {
      unsigned long long when = 0;
      const int got = std::fscanf(f, "started %llu", &when);
      std::fclose(f);
      if (got == 1) return when;
    }
    ::Sleep(100);
  }
  return 0;
}

// Ticks of a thread timer, counted while file work runs.
int ticks = 0;
void CALLBACK CountTick(HWND, UINT, UINT_PTR, DWORD) { ++ticks; }

LauncherItem Item(const std::string& path, const std::string& name, int encoded = 0) {
  LauncherItem item;
  item.path = path;
  item.name = name;
  item.encoded = encoded;
  return item;
}

class LauncherWindowTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(clock.Create(WS_EX_TOOLWINDOW, "clock", WS_POPUP | WS_VISIBLE, 100, 60, 400, 200, nullptr));
    groups.resize(10);
    launcher = std::make_unique<LauncherWindow>(groups);
    ASSERT_TRUE(launcher->Create(clock.hwnd()));
  }
  void TearDown() override {
    if (launcher->hwnd()) ::DestroyWindow(launcher->hwnd());
    if (clock.hwnd()) ::DestroyWindow(clock.hwnd());
  }
  HWND W() const { return launcher->hwnd(); }
  HWND List() const { return ::GetDlgItem(W(), IDC_LAUNCHER_LIST); }
  void Press(int id) { ::SendMessageA(W(), WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), reinterpret_cast<LPARAM>(::GetDlgItem(W(), id))); }
  void Notify(int id, UINT code) {
    NMHDR header{::GetDlgItem(W(), id), static_cast<UINT_PTR>(id), code};
    ::SendMessageA(W(), WM_NOTIFY, static_cast<WPARAM>(id), reinterpret_cast<LPARAM>(&header));
  }
  void SelectTab(int index) {
    TabCtrl_SetCurSel(::GetDlgItem(W(), IDC_LAUNCHER_TABS), index);
    Notify(IDC_LAUNCHER_TABS, TCN_SELCHANGE);
  }
  void SelectRow(int row) { ListView_SetItemState(List(), row, LVIS_SELECTED, LVIS_SELECTED); }
  std::vector<std::string> Rows() {
    std::vector<std::string> rows;
    const int count = ListView_GetItemCount(List());
    for (int i = 0; i < count; ++i) {
      char text[256] = {};
      ListView_GetItemText(List(), i, 0, text, sizeof text);
      rows.emplace_back(text);
    }
    return rows;
  }
  std::vector<std::string> Names(int group) {
    std::vector<std::string> names;
    for (const auto& item : groups[static_cast<std::size_t>(group)]) names.push_back(item.name);
    return names;
  }

  Window clock;
  LauncherGroups groups;
  std::unique_ptr<LauncherWindow> launcher;
};

TEST_F(LauncherWindowTest, StartsHiddenWithTenTabsInTwoRowsAndANameColumn) {
  EXPECT_FALSE(::IsWindowVisible(W()));
  HWND tabs = ::GetDlgItem(W(), IDC_LAUNCHER_TABS);
  ASSERT_EQ(TabCtrl_GetItemCount(tabs), 10);
  for (int i = 0; i < 10; ++i) {
    char text[16] = {};
    TCITEMA tab{};
    tab.mask = TCIF_TEXT;
    tab.pszText = text;
    tab.cchTextMax = sizeof text;
    ::SendMessageA(tabs, TCM_GETITEMA, static_cast<WPARAM>(i), reinterpret_cast<LPARAM>(&tab));
    EXPECT_EQ(std::string(text), " " + std::to_string(i + 1) + " ");
  }
  EXPECT_EQ(TabCtrl_GetRowCount(tabs), 2);
  EXPECT_EQ(TabCtrl_GetCurSel(tabs), 0);
  EXPECT_EQ(ListView_GetExtendedListViewStyle(List()) & 0x21, 0x21u);
  char title[32] = {};
  LVCOLUMNA column{};
  column.mask = LVCF_TEXT | LVCF_WIDTH;
  column.pszText = title;
  column.cchTextMax = sizeof title;
  ASSERT_TRUE(::SendMessageA(List(), LVM_GETCOLUMNA, 0, reinterpret_cast<LPARAM>(&column)));
  EXPECT_STREQ(title, "Name");
  RECT client{};
  ::GetClientRect(List(), &client);
  EXPECT_EQ(column.cx, client.right - 20);
  EXPECT_EQ(::GetWindowLongA(W(), GWL_EXSTYLE) & WS_EX_APPWINDOW, 0);
  EXPECT_NE(::GetWindowLongA(W(), GWL_EXSTYLE) & WS_EX_ACCEPTFILES, 0);
  EXPECT_FALSE(::IsWindowVisible(::GetDlgItem(W(), IDOK)));
  EXPECT_FALSE(::IsWindowEnabled(::GetDlgItem(W(), IDOK)));
}

TEST_F(LauncherWindowTest, ADpiChangeTakesTheSuggestedRectangleAndSizesTheColumnForIt) {
  RECT before{};
  ::GetWindowRect(W(), &before);
  RECT suggested{10, 20, 10 + (before.right - before.left) * 3 / 2, 20 + (before.bottom - before.top) * 3 / 2};
  ::SendMessageA(W(), WM_DPICHANGED, MAKEWPARAM(144, 144), reinterpret_cast<LPARAM>(&suggested));
  RECT r{};
  ::GetWindowRect(W(), &r);
  EXPECT_EQ(r.left, suggested.left);
  EXPECT_EQ(r.top, suggested.top);
  EXPECT_EQ(r.right, suggested.right);
  EXPECT_EQ(r.bottom, suggested.bottom);
  RECT client{};
  ::GetClientRect(List(), &client);
  EXPECT_EQ(ListView_GetColumnWidth(List(), 0), client.right - 30) << "20 pixels at 96 DPI are 30 at 144";
  EXPECT_EQ(TabCtrl_GetRowCount(::GetDlgItem(W(), IDC_LAUNCHER_TABS)), 2);
}

TEST_F(LauncherWindowTest, ToggleShowsBelowAClockInTheUpperHalfAndAboveOneInTheLowerHalf) {
  RECT desktop{};
  ::GetClientRect(::GetDesktopWindow(), &desktop);
  const int middle = (desktop.top + desktop.bottom) / 2;
  RECT own{};
  ::GetWindowRect(W(), &own);
  const int height = own.bottom - own.top;
  const struct {
    int top;
    bool below;
  } cases[] = {{60, true}, {middle, true}, {middle + 1, false}, {desktop.bottom - 150, false}};
  for (const auto& c : cases) {
    ::SetWindowPos(clock.hwnd(), nullptr, 120, c.top, 300, 100, SWP_NOZORDER | SWP_NOACTIVATE);
    launcher->ToggleLauncher(clock.hwnd());
    EXPECT_TRUE(::IsWindowVisible(W())) << c.top;
    RECT r{};
    ::GetWindowRect(W(), &r);
    EXPECT_EQ(r.left, 120) << c.top;
    EXPECT_EQ(r.top, c.below ? c.top + 100 : c.top - height) << c.top;
    EXPECT_EQ(r.bottom - r.top, height) << "the size stays";
    EXPECT_NE(::GetWindowLongA(W(), GWL_EXSTYLE) & WS_EX_TOPMOST, 0);
    EXPECT_NE(::GetActiveWindow(), W()) << "shown without activation";
    launcher->ToggleLauncher(clock.hwnd());
    EXPECT_FALSE(::IsWindowVisible(W())) << "a second toggle hides it";
  }
}

// Each edit is told to the owner of the settings at once; a press that changes nothing is not.
TEST_F(LauncherWindowTest, EditsAreToldToTheOwnerAtOnce) {
  const auto told = [this] {
    MSG msg;
    int n = 0;
    while (::PeekMessageW(&msg, clock.hwnd(), LauncherWindow::kGroupsChanged, LauncherWindow::kGroupsChanged,
                          PM_REMOVE))
      ++n;
    return n;
  };
  groups[0] = {Item("a", "A"), Item("b", "B")};
  SelectTab(0);
  told();
  Press(IDC_LAUNCHER_DOWN);  // nothing selected
  EXPECT_EQ(told(), 0);
  SelectRow(0);
  Press(IDC_LAUNCHER_DOWN);
  EXPECT_EQ(told(), 1) << "moved";
  Press(IDC_LAUNCHER_DOWN);  // the last item already
  EXPECT_EQ(told(), 0);
  Press(IDC_LAUNCHER_DEL);
  EXPECT_EQ(told(), 1) << "deleted";
}

TEST_F(LauncherWindowTest, UpDownDeleteAndTabsEditTheCurrentGroup) {
  groups[0] = {Item("a", "A"), Item("b", "B"), Item("c", "C")};
  groups[4] = {Item("x", "X")};
  SelectTab(0);
  EXPECT_EQ(Rows(), (std::vector<std::string>{"A", "B", "C"}));
  Press(IDC_LAUNCHER_UP);  // nothing selected
  Press(IDC_LAUNCHER_DOWN);
  EXPECT_EQ(Names(0), (std::vector<std::string>{"A", "B", "C"}));
  SelectRow(0);
  Press(IDC_LAUNCHER_UP);  // first item: nothing
  EXPECT_EQ(Names(0), (std::vector<std::string>{"A", "B", "C"}));
  Press(IDC_LAUNCHER_DOWN);
  EXPECT_EQ(Names(0), (std::vector<std::string>{"B", "A", "C"}));
  EXPECT_EQ(launcher->SelectedItem(), 1) << "the selection moves with the item";
  Press(IDC_LAUNCHER_DOWN);
  EXPECT_EQ(Names(0), (std::vector<std::string>{"B", "C", "A"}));
  Press(IDC_LAUNCHER_DOWN);  // last item: nothing
  EXPECT_EQ(Names(0), (std::vector<std::string>{"B", "C", "A"}));
  EXPECT_EQ(launcher->SelectedItem(), 2);
  Press(IDC_LAUNCHER_UP);
  EXPECT_EQ(Rows(), (std::vector<std::string>{"B", "A", "C"}));
  EXPECT_EQ(launcher->SelectedItem(), 1);
  Press(IDC_LAUNCHER_DEL);  // a plain item goes without a question
  EXPECT_EQ(Rows(), (std::vector<std::string>{"B", "C"}));
  EXPECT_EQ(launcher->SelectedItem(), -1);
  Press(IDC_LAUNCHER_DEL);
  EXPECT_EQ(Names(0).size(), 2u);

  SelectTab(4);
  EXPECT_EQ(launcher->currentGroup(), 4);
  EXPECT_EQ(Rows(), std::vector<std::string>{"X"});
  SelectTab(9);
  EXPECT_TRUE(Rows().empty());
}

TEST_F(LauncherWindowTest, DoubleClickWithoutSelectionAndExecuteAllOnAnEmptyTab) {
  groups[0] = {Item("C:\\nowhere\\missing.exe", "Missing")};
  launcher->ToggleLauncher(clock.hwnd());
  SelectTab(0);
  Notify(IDC_LAUNCHER_LIST, NM_DBLCLK);
  EXPECT_TRUE(::IsWindowVisible(W())) << "nothing selected: nothing starts and the window stays";
  SelectTab(3);
  Press(IDC_LAUNCHER_EXECUTE_ALL);
  EXPECT_FALSE(::IsWindowVisible(W())) << "Execute All on an empty tab just hides";
  launcher->ToggleLauncher(clock.hwnd());
  Press(IDCANCEL);
  EXPECT_FALSE(::IsWindowVisible(W())) << "Close hides";
  EXPECT_TRUE(::IsWindow(W())) << "and does not destroy";
  // The system says why (its own message, as no SEE_MASK_FLAG_NO_UI is given); it is answered here.
  UiScript answer({ShellErrorBox()});
  EXPECT_FALSE(launcher->RunItem(groups[0][0])) << "a file that does not exist does not start";
}

TEST_F(LauncherWindowTest, AddUsesThePlainDialogUnlessExModeIsSet) {
  ExModeSetting exMode(-1);
  bool hadEncode = true;
  {
    UiScript script({UiScript::OnDialog("Add", [&](HWND w) {
      hadEncode = ::GetDlgItem(w, IDC_LAUNCHER_ADD_ENCODE) != nullptr;
      ::SetDlgItemTextA(w, IDC_LAUNCHER_ADD_PATH, "C:\\Tools\\tool.exe");
      ::SetDlgItemTextA(w, IDC_LAUNCHER_ADD_NAME, "My tool");
      UiScript::Click(w, IDOK);
    })});
    SelectTab(2);
    Press(IDC_LAUNCHER_ADD);
  }
  EXPECT_FALSE(hadEncode);
  ASSERT_EQ(groups[2].size(), 1u);
  EXPECT_EQ(groups[2][0].path, "C:\\Tools\\tool.exe");
  EXPECT_EQ(groups[2][0].encoded, 0);
  EXPECT_EQ(Rows(), std::vector<std::string>{"My tool"});

  exMode.Set(0);
  {
    UiScript script({UiScript::OnDialog("Add", [&](HWND w) {
      hadEncode = ::GetDlgItem(w, IDC_LAUNCHER_ADD_ENCODE) != nullptr;
      UiScript::Click(w, IDCANCEL);
    })});
    Press(IDC_LAUNCHER_ADD);
  }
  EXPECT_FALSE(hadEncode);
  EXPECT_EQ(groups[2].size(), 1u) << "Cancel adds nothing";
}

TEST_F(LauncherWindowTest, AddingAnEncodedItemLeavesOnlyTheEncodedFileBesideTheProgram) {
  ExModeSetting exMode(1);
  const std::string dir = ScratchDir();
  const auto content = RandomBytes(5000, 12);
  WriteBytes(dir + "secret.doc", content);
  UiScript script({UiScript::OnDialog("Add", [&](HWND w) {
    ::SetDlgItemTextA(w, IDC_LAUNCHER_ADD_PATH, (dir + "secret.doc").c_str());
    ::SetDlgItemTextA(w, IDC_LAUNCHER_ADD_NAME, "Secret");
    ::SendDlgItemMessageA(w, IDC_LAUNCHER_ADD_ENCODE, BM_CLICK, 0, 0);
    ::SetDlgItemTextA(w, IDC_LAUNCHER_ADD_KEY, "k3y");
    UiScript::Click(w, IDOK);
  })});
  Press(IDC_LAUNCHER_ADD);
  ASSERT_EQ(groups[0].size(), 1u);
  const LauncherItem item = groups[0][0];
  EXPECT_EQ(item.encoded, 1);
  EXPECT_EQ(std::filesystem::path(item.path).parent_path(), std::filesystem::path(LauncherWindow::ProgramDirectory()).parent_path());
  char expectedName[32];
  std::snprintf(expectedName, sizeof expectedName, "Secret%08X.QZD", static_cast<unsigned>(Crc32(content.data(), content.size())));
  EXPECT_EQ(std::filesystem::path(item.path).filename().string(), expectedName);
  EXPECT_FALSE(Exists(dir + "secret.doc")) << "the original is gone";
  std::string restored;
  ASSERT_TRUE(DecodeFile(item.path, "k3y", restored));
  EXPECT_EQ(ReadBytes(dir + "secret.doc"), content);
  std::filesystem::remove(item.path);
}

TEST_F(LauncherWindowTest, DroppedFilesOpenTheAddDialogOncePerFile) {
  ExModeSetting exMode(-1);
  const std::vector<std::string> paths = {"C:\\Tools\\one.exe", "C:\\Data\\two.tar.gz", "C:\\my.dir\\THREE"};
  std::string list;
  for (const auto& p : paths) list += p + '\0';
  list += '\0';
  HGLOBAL memory = ::GlobalAlloc(GHND, sizeof(DROPFILES) + list.size());
  auto* drop = static_cast<DROPFILES*>(::GlobalLock(memory));
  drop->pFiles = sizeof(DROPFILES);
  drop->fWide = FALSE;
  std::memcpy(reinterpret_cast<char*>(drop) + sizeof(DROPFILES), list.data(), list.size());
  ::GlobalUnlock(memory);

  std::vector<std::string> proposed, presetPaths;
  auto answer = UiScript::OnDialog("Add", [&](HWND w) {
    proposed.push_back(UiScript::Text(w, IDC_LAUNCHER_ADD_NAME));
    presetPaths.push_back(UiScript::Text(w, IDC_LAUNCHER_ADD_PATH));
    UiScript::Click(w, IDOK);
  });
  UiScript script({answer, answer, answer});
  ::SendMessageA(W(), WM_DROPFILES, reinterpret_cast<WPARAM>(memory), 0);
  EXPECT_EQ(presetPaths, paths);
  EXPECT_EQ(proposed, (std::vector<std::string>{"one", "two.tar", "THREE"}));
  EXPECT_EQ(Rows(), proposed);
}

// Dropped names in any script, and longer than MAX_PATH, reach the add dialog whole.
TEST_F(LauncherWindowTest, DroppedFilesKeepNamesOfAnyScriptAndLength) {
  ExModeSetting exMode(-1);
  const std::string japanese = "\xE6\x97\xA5\xE6\x9C\xAC\xE8\xAA\x9E\xF0\x9F\x8E\x89";  // 日本語🎉
  const std::vector<std::string> paths = {"C:\\" + japanese + "\\" + japanese + ".txt",
                                          "C:\\" + std::string(300, 'd') + "\\long.exe"};
  std::wstring list;
  for (const auto& p : paths) list += WideText::From(p) + L'\0';
  list += L'\0';
  HGLOBAL memory = ::GlobalAlloc(GHND, sizeof(DROPFILES) + list.size() * sizeof(wchar_t));
  auto* drop = static_cast<DROPFILES*>(::GlobalLock(memory));
  drop->pFiles = sizeof(DROPFILES);
  drop->fWide = TRUE;
  std::memcpy(reinterpret_cast<char*>(drop) + sizeof(DROPFILES), list.data(), list.size() * sizeof(wchar_t));
  ::GlobalUnlock(memory);

  std::vector<std::string> proposed, presetPaths;
  auto answer = UiScript::OnDialog("Add", [&](HWND w) {
    proposed.push_back(WideText::OfWindow(::GetDlgItem(w, IDC_LAUNCHER_ADD_NAME)));
    presetPaths.push_back(WideText::OfWindow(::GetDlgItem(w, IDC_LAUNCHER_ADD_PATH)));
    UiScript::Click(w, IDCANCEL);
  });
  UiScript script({answer, answer});
  ::SendMessageW(W(), WM_DROPFILES, reinterpret_cast<WPARAM>(memory), 0);
  EXPECT_EQ(presetPaths, paths);
  EXPECT_EQ(proposed, (std::vector<std::string>{japanese, "long"}));
}

TEST_F(LauncherWindowTest, DeletingAnEncodedItemAsksFirst) {
  groups[0] = {Item("C:\\nowhere\\X00000000.QZD", "X", 1)};
  SelectTab(0);
  SelectRow(0);
  UiScript script({UiScript::OnMessageBox("Is an encoding file restored?", IDCANCEL)});
  Press(IDC_LAUNCHER_DEL);
  EXPECT_TRUE(script.Done());
  EXPECT_EQ(groups[0].size(), 1u) << "Cancel keeps the item";
}

TEST_F(LauncherWindowTest, ExecuteAllStartsEachItemInOrderAndStopsAtTheFirstThatDoesNotStart) {
  const std::string dir = ScratchDir();
  WriteBytes(dir + "release", {});  // the helpers end as soon as they have left their mark
  groups[0] = {Item(CopyOfMarkHelper(dir, "first.exe"), "First"), Item(CopyOfMarkHelper(dir, "second.exe"), "Second")};
  groups[1] = {Item(dir + "missing.exe", "Missing"), Item(CopyOfMarkHelper(dir, "third.exe"), "Third")};
  launcher->ToggleLauncher(clock.hwnd());
  SelectTab(0);
  Press(IDC_LAUNCHER_EXECUTE_ALL);
  const unsigned long long first = MarkTime(dir + "first.exe.mark"), second = MarkTime(dir + "second.exe.mark");
  ASSERT_NE(first, 0u) << "the first item started";
  ASSERT_NE(second, 0u) << "the second item started";
  EXPECT_LT(first, second) << "in the list's order";
  EXPECT_FALSE(::IsWindowVisible(W())) << "and the launcher hides";

  launcher->ToggleLauncher(clock.hwnd());
  SelectTab(1);
  {
    UiScript answer({ShellErrorBox()});  // the system's message about the missing file
    Press(IDC_LAUNCHER_EXECUTE_ALL);
  }
  ::Sleep(1500);
  EXPECT_FALSE(Exists(dir + "third.exe.mark")) << "nothing after an item that did not start";
}

// Without a mouse: Enter in the list starts the chosen item, as a double-click does, where the
// dialog manager would press the default button ("Execute All") and start every item.
TEST_F(LauncherWindowTest, EnterInTheListStartsTheChosenItemAlone) {
  const std::string dir = ScratchDir();
  WriteBytes(dir + "release", {});
  groups[0] = {Item(CopyOfMarkHelper(dir, "first.exe"), "First"), Item(CopyOfMarkHelper(dir, "second.exe"), "Second")};
  launcher->ToggleLauncher(clock.hwnd());
  SelectTab(0);
  SelectRow(1);
  ::SetFocus(List());
  MSG key{List(), WM_KEYDOWN, VK_RETURN, 0x001C0001, ::GetTickCount(), {}};
  if (!Window::PreTranslate(&key)) {  // as the message loop does
    ::TranslateMessage(&key);
    ::DispatchMessageW(&key);
  }
  EXPECT_NE(MarkTime(dir + "second.exe.mark"), 0u) << "the chosen item started";
  ::Sleep(500);
  EXPECT_FALSE(Exists(dir + "first.exe.mark")) << "and no other";
  EXPECT_FALSE(::IsWindowVisible(W())) << "the launcher hides as after a double-click";
}

// The progress window of long file work: it appears only after a moment, shows how far the
// work is, leaves this thread free for every other window (their timers keep firing), keeps
// its owner disabled meanwhile, and Cancel asks the work to stop.
TEST_F(LauncherWindowTest, FileWorkRunsBesideTheWindowsWithAProgressWindowAndCancel) {
  const UINT_PTR timer = ::SetTimer(nullptr, 0, 30, &CountTick);

  // Work shorter than the delay never shows the window.
  bool shown = false;
  EXPECT_TRUE(FileProgressDialog::Run(W(), "Quick", "C:\\quick.txt", [&](FileProgress&) {
    ::Sleep(50);
    return true;
  }));
  for (HWND w = ::FindWindowA(nullptr, "Quick"); w; w = nullptr) shown = true;
  EXPECT_FALSE(shown);

  std::string percent, detail;
  bool ownerDisabled = false;
  std::atomic<int> steps{0};
  UiScript script({[&](HWND w) {
    if (UiScript::Title(w) != "Restoring Big ..." || steps < 10) return false;
    percent = UiScript::Text(w, IDC_FILE_PROGRESS_PERCENT);
    detail = UiScript::Text(w, IDC_FILE_PROGRESS_TEXT);
    ownerDisabled = !::IsWindowEnabled(W());
    UiScript::Click(w, IDCANCEL);
    return true;
  }});
  const DWORD start = ::GetTickCount();
  ticks = 0;
  const bool finished = FileProgressDialog::Run(W(), "Restoring Big ...", "C:\\Data\\big.bin", [&](FileProgress& progress) {
    progress.total = 1000;
    while (!progress.cancelled) {
      if (progress.done < 1000) progress.done += 10;
      ++steps;
      ::Sleep(20);
      if (::GetTickCount() - start > 20000) return true;  // nobody pressed Cancel
    }
    return false;
  });
  ::KillTimer(nullptr, timer);
  EXPECT_TRUE(script.Done()) << "the progress window appeared";
  EXPECT_FALSE(finished) << "Cancel stopped the work";
  EXPECT_LT(::GetTickCount() - start, 20000u);
  EXPECT_GE(ticks, 10) << "this thread's timers kept firing while the work ran";
  EXPECT_TRUE(ownerDisabled);
  EXPECT_TRUE(::IsWindowEnabled(W())) << "and the owner is enabled again";
  EXPECT_EQ(detail, "C:\\Data\\big.bin");
  EXPECT_NE(percent, "0 %");
  EXPECT_EQ(::FindWindowA(nullptr, "Restoring Big ..."), nullptr) << "the window is gone";
  EXPECT_EQ(ActiveEncodedRuns(), 0);
}

// Restoring to run an item, with Cancel pressed in the progress window: nothing is restored,
// nothing starts, no temporary file is left, and the encoded file is as it was.
TEST_F(LauncherWindowTest, CancellingTheRestoreOfAnEncodedItemLeavesNothingBehind) {
  const std::string dir = ScratchDir();
  WriteBytes(dir + "big.bin", RandomBytes(20u << 20, 3));
  ASSERT_TRUE(EncodeFile(dir + "big.bin", dir + "Big.QZD", "k3y", Win32FileAccess::Instance()));
  std::filesystem::remove(dir + "big.bin");
  const auto encoded = ReadBytes(dir + "Big.QZD");
  // A slow disk: the restore lasts beyond the progress window's delay.
  FaultyFiles slow(Win32FileAccess::Instance());
  slow.readPauseMs = 150;
  launcher->SetFileAccess(slow);
  UiScript script({UiScript::OnDialog("Input an encoding key",
                                      [](HWND w) {
                                        ::SetDlgItemTextA(w, IDC_ENCODING_KEY, "k3y");
                                        UiScript::Click(w, IDOK);
                                      }),
                   [](HWND w) {
                     if (UiScript::Title(w) != "Restoring Big ...") return false;
                     UiScript::Click(w, IDCANCEL);
                     return true;
                   }});
  EXPECT_FALSE(launcher->RunItem(Item(dir + "Big.QZD", "Big", 1)));
  EXPECT_TRUE(script.Done());
  EXPECT_EQ(Listing(dir), std::vector<std::string>{"Big.QZD"});
  EXPECT_EQ(ReadBytes(dir + "Big.QZD"), encoded);
  for (int i = 0; i < 50 && ActiveEncodedRuns() != 0; ++i) ::Sleep(20);
  EXPECT_EQ(ActiveEncodedRuns(), 0) << "the watcher made beforehand has ended";
}

// The program of an encoded item has ended but its encoded file cannot be replaced (another
// program holds it): the plain file is kept, so nothing is lost, and the user is told where it is.
TEST_F(LauncherWindowTest, AReEncodingThatFailsKeepsThePlainFileAndSaysSo) {
  const std::string dir = ScratchDir();
  const std::string plain = CopyOfMarkHelper(dir, "secret.exe");
  ASSERT_TRUE(EncodeFile(plain, dir + "Secret.QZD", "k3y", Win32FileAccess::Instance()));
  std::filesystem::remove(plain);
  const auto encoded = ReadBytes(dir + "Secret.QZD");
  {
    UiScript script({UiScript::OnDialog("Input an encoding key", [](HWND w) {
      ::SetDlgItemTextA(w, IDC_ENCODING_KEY, "k3y");
      UiScript::Click(w, IDOK);
    })});
    ASSERT_TRUE(launcher->RunItem(Item(dir + "Secret.QZD", "Secret", 1)));
  }
  ASSERT_NE(MarkTime(dir + "secret.exe.mark"), 0u) << "the restored program runs";
  EXPECT_EQ(ActiveEncodedRuns(), 1);
  HANDLE held = ::CreateFileA((dir + "Secret.QZD").c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
  ASSERT_NE(held, INVALID_HANDLE_VALUE);
  WriteBytes(dir + "release", {});  // the program ends
  std::string seen;
  UiScript script({UiScript::OnMessageBox("could not be encoded again", IDOK, &seen)});
  for (const DWORD start = ::GetTickCount(); !script.Done() && ::GetTickCount() - start < 20000;) {
    MSG msg;
    while (::PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) ::DispatchMessageA(&msg);
    ::Sleep(20);
  }
  ::CloseHandle(held);
  EXPECT_TRUE(script.Done()) << "the user is told";
  EXPECT_NE(seen.find(plain), std::string::npos) << seen;
  EXPECT_TRUE(Exists(plain)) << "the plain file is kept";
  EXPECT_EQ(ReadBytes(dir + "Secret.QZD"), encoded) << "the encoded file keeps its earlier content";
  EXPECT_EQ(Listing(dir), (std::vector<std::string>{"Secret.QZD", "release", "secret.exe", "secret.exe.mark"}));
  for (int i = 0; i < 100 && ActiveEncodedRuns() != 0; ++i) ::Sleep(20);
  EXPECT_EQ(ActiveEncodedRuns(), 0);
  // The kept file stays listed; the next test's window would name it.
  IniProfileStore store;
  EXPECT_TRUE(RestoredFileJournal::Clear(store, plain) && store.Save().ok());
}

// Pumps this thread's messages until `done` or `ms` have passed.
template <typename Done>
void PumpUntil(Done done, DWORD ms) {
  for (const DWORD start = ::GetTickCount(); !done() && ::GetTickCount() - start < ms;) {
    MSG msg;
    while (::PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) ::DispatchMessageA(&msg);
    ::Sleep(20);
  }
}

UiScript::Step TypeKey(const char* key) {
  return UiScript::OnDialog("Input an encoding key", [key](HWND w) {
    ::SetDlgItemTextA(w, IDC_ENCODING_KEY, key);
    UiScript::Click(w, IDOK);
  });
}

// Empties the list of restored files in the settings.
void ForgetLeftFiles() {
  IniProfileStore store;
  store.DeleteSection(RestoredFileJournal::kSection);
  store.Save();
}

bool Listed(const std::string& path) {
  IniProfileStore store;
  for (const std::string& p : RestoredFileJournal::Paths(store))
    if (p == path) return true;
  return false;
}

// What a run of an encoded item does with what it finds, under Wine with the real files and
// settings file: a run of a running item, a file of the user's or one an interrupted run left at
// the stored path. In each, no byte of the user's is lost and no plain file is left unnamed.
TEST_F(LauncherWindowTest, ARunNeverReplacesWhatIsAtTheStoredPathUnasked) {
  ForgetLeftFiles();  // an earlier test's: they would be named in the middle of this one
  const std::string dir = ScratchDir();
  const std::string plain = CopyOfMarkHelper(dir, "tool.exe");
  const auto program = ReadBytes(plain);
  ASSERT_TRUE(EncodeFile(plain, dir + "Tool.QZD", "k3y", Win32FileAccess::Instance()));
  std::filesystem::remove(plain);
  const auto encoded = ReadBytes(dir + "Tool.QZD");
  const LauncherItem item = Item(dir + "Tool.QZD", "Tool", 1);

  {
    SCOPED_TRACE("a file of the user's: the default answer keeps it");
    WriteBytes(plain, {'m', 'i', 'n', 'e'});
    std::string seen;
    UiScript script({TypeKey("k3y"), UiScript::OnMessageBox("is there already", IDNO, &seen)});
    EXPECT_FALSE(launcher->RunItem(item));
    EXPECT_TRUE(script.Done());
    EXPECT_NE(seen.find(plain), std::string::npos) << seen;
    EXPECT_EQ(ReadBytes(plain), (std::vector<std::uint8_t>{'m', 'i', 'n', 'e'}));
    EXPECT_EQ(ReadBytes(dir + "Tool.QZD"), encoded);
    EXPECT_FALSE(Listed(plain)) << "the user's file is not the launcher's";
    EXPECT_EQ(Listing(dir), (std::vector<std::string>{"Tool.QZD", "tool.exe"}));
    std::filesystem::remove(plain);
  }
  {
    SCOPED_TRACE("a second run of a running item is refused, naming it");
    ASSERT_TRUE([&] {
      UiScript script({TypeKey("k3y")});
      return launcher->RunItem(item);
    }());
    ASSERT_NE(MarkTime(plain + ".mark"), 0u);
    std::string seen;
    UiScript script({TypeKey("k3y"), UiScript::OnMessageBox("is running already", IDOK, &seen)});
    EXPECT_FALSE(launcher->RunItem(item));
    EXPECT_TRUE(script.Done());
    EXPECT_NE(seen.find("Tool"), std::string::npos) << seen;
    EXPECT_EQ(ReadBytes(plain), program) << "the running program's file is left alone";
    EXPECT_TRUE(Listed(plain));
    WriteBytes(dir + "release", {});
    PumpUntil([] { return ActiveEncodedRuns() == 0; }, 20000);
    EXPECT_EQ(ActiveEncodedRuns(), 0);
    EXPECT_FALSE(Exists(plain)) << "encoded again and deleted once the program ended";
    EXPECT_FALSE(Listed(plain));
    std::filesystem::remove(dir + "release");
    std::filesystem::remove(plain + ".mark");
  }
  {
    SCOPED_TRACE("a file an interrupted run left: encoded back first, edits kept");
    auto edited = program;
    edited.insert(edited.end(), {'e', 'd', 'i', 't'});  // bytes after the program's end: it still runs
    WriteBytes(plain, edited);
    {
      IniProfileStore store;
      ASSERT_TRUE(RestoredFileJournal::Record(store, plain) && store.Save().ok());
    }
    UiScript script({TypeKey("k3y"), UiScript::OnMessageBox("cut short", IDYES)});
    EXPECT_TRUE(launcher->RunItem(item));
    EXPECT_TRUE(script.Done());
    ASSERT_NE(MarkTime(plain + ".mark"), 0u) << "the item runs, from what was left";
    EXPECT_EQ(ReadBytes(plain), edited);
    WriteBytes(dir + "release", {});
    PumpUntil([] { return ActiveEncodedRuns() == 0; }, 20000);
    EXPECT_FALSE(Exists(plain));
    EXPECT_FALSE(Listed(plain));
    std::string restored;
    ASSERT_TRUE(DecodeFile(dir + "Tool.QZD", "k3y", restored, Win32FileAccess::Instance(), dir + "check.bin"));
    EXPECT_EQ(ReadBytes(dir + "check.bin"), edited) << "the edits went into the item";
  }
}

// A string of the string table in one language, as UTF-16 (blocks of 16 counted strings).
std::wstring StringIn(UINT id, LANGID language) {
  HMODULE module = ::GetModuleHandleA(nullptr);
  HRSRC found = ::FindResourceExA(module, reinterpret_cast<LPCSTR>(RT_STRING), MAKEINTRESOURCEA(id / 16 + 1), language);
  if (found == nullptr) return {};
  const auto* p = static_cast<const WCHAR*>(::LockResource(::LoadResource(module, found)));
  for (UINT i = 0; i < id % 16; ++i) p += 1 + *p;
  return std::wstring(p + 1, *p);
}

// Each way restoring an encoded item's file for a run can fail is told, naming the item and the
// reason, and leaves nothing out of place: the encoded file as it was, no plain or temporary file
// beside it, nothing in the list of restored files, no run counted.
TEST_F(LauncherWindowTest, ARestoreThatFailsSaysWhyAndLeavesNothingOutOfPlace) {
  ForgetLeftFiles();
  const std::string dir = ScratchDir();
  const std::string plain = dir + "tool.txt";
  const std::string encodedPath = dir + "Tool.QZD";
  const std::vector<std::uint8_t> content = RandomBytes(300000, 7);
  const std::vector<std::string> alone{"Tool.QZD"}, withPlain{"Tool.QZD", "tool.txt"};
  struct Case {
    const char* what;
    const char* key;
    std::function<void(FaultyFiles&)> before;  // once the item's encoded file is there
    std::vector<std::string> told;             // parts of the message
    std::vector<std::string> after;            // the folder afterwards
  } cases[] = {
      {"a wrong key", "wrong", [](FaultyFiles&) {}, {"The key is wrong", encodedPath}, alone},
      {"an encoded file that is gone", "k3y", [&](FaultyFiles&) { std::filesystem::remove(encodedPath); },
       {"could not be read", encodedPath}, {}},
      {"a damaged file",
       "k3y",
       [&](FaultyFiles&) {
         auto bytes = ReadBytes(encodedPath);
         bytes[1000] ^= 0xFF;  // in the content: found only by the digest at the end of the restore
         WriteBytes(encodedPath, bytes);
       },
       {"is damaged", encodedPath},
       alone},
      {"a stored path that is not a full path",
       "k3y",
       [&](FaultyFiles&) {
         std::vector<std::uint8_t> image = content;
         BuildEncodedImage(image, "tool.txt", KeySchedule("k3y"));
         WriteBytes(encodedPath, image);
       },
       {"The path stored in the encoded file, tool.txt, is not a full path on this system"},
       alone},
      {"a stored path with a '..' part",
       "k3y",
       [&](FaultyFiles&) {
         std::vector<std::uint8_t> image = content;
         BuildEncodedImage(image, dir + "..\\tool.txt", KeySchedule("k3y"));
         WriteBytes(encodedPath, image);
       },
       {"with a '.' or '..' part"},
       alone},
      {"a full disk", "k3y", [](FaultyFiles& f) { f.writeFailsAfter = 100000; },
       {"could not be written", plain, "no space left on device"}, alone},
      {"a file made while restoring",
       "k3y",
       [&](FaultyFiles& f) {
         f.afterWrite = [&](long long) {
           if (!Exists(plain)) WriteBytes(plain, {'n', 'e', 'w'});
         };
       },
       {"appeared while", plain},
       withPlain},
      {"a folder at the stored path", "k3y", [&](FaultyFiles&) { std::filesystem::create_directory(plain); },
       {"is a folder or a device", plain}, withPlain},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    WriteBytes(plain, content);
    ASSERT_TRUE(EncodeFile(plain, encodedPath, "k3y", Win32FileAccess::Instance()));
    std::filesystem::remove(plain);
    FaultyFiles files(Win32FileAccess::Instance());
    c.before(files);
    const auto encoded = ReadBytes(encodedPath);
    launcher->SetFileAccess(files);
    std::string seen;
    UiScript script({TypeKey(c.key), UiScript::OnMessageBox(c.told.front(), IDOK, &seen)});
    EXPECT_FALSE(launcher->RunItem(Item(encodedPath, "Tool", 1)));
    EXPECT_TRUE(script.Done()) << "the user is told";
    EXPECT_NE(seen.find("Tool was not started"), std::string::npos) << seen;
    for (const std::string& part : c.told) EXPECT_NE(seen.find(part), std::string::npos) << part << " in " << seen;
    EXPECT_EQ(Listing(dir), c.after);
    EXPECT_EQ(ReadBytes(encodedPath), encoded) << "the encoded file is as it was";
    if (c.after == withPlain && !std::filesystem::is_directory(plain))
      EXPECT_EQ(ReadBytes(plain), (std::vector<std::uint8_t>{'n', 'e', 'w'})) << "the user's file is kept";
    EXPECT_FALSE(Listed(plain));
    PumpUntil([] { return ActiveEncodedRuns() == 0; }, 5000);
    EXPECT_EQ(ActiveEncodedRuns(), 0);
    launcher->SetFileAccess(Win32FileAccess::Instance());
    std::filesystem::remove_all(plain);
  }
  {
    SCOPED_TRACE("deleting the item with a wrong key: told, and the item and its file stay");
    groups[0] = {Item(encodedPath, "Tool", 1)};
    SelectTab(0);
    SelectRow(0);
    std::string seen;
    UiScript script({UiScript::OnMessageBox("Is an encoding file restored?", IDYES), TypeKey("wrong"),
                     UiScript::OnMessageBox("The key is wrong", IDOK, &seen)});
    Press(IDC_LAUNCHER_DEL);
    EXPECT_TRUE(script.Done());
    EXPECT_NE(seen.find("The item Tool and its encoded file stay"), std::string::npos) << seen;
    EXPECT_EQ(groups[0].size(), 1u);
    EXPECT_EQ(Listing(dir), alone);
  }
  // Each text is there in Japanese too, with the same places for the item, the file and the reason.
  for (UINT id = IDS_RUN_NOT_RESTORED; id <= IDS_STORED_PATH_NOT_TEXT; ++id) {
    const std::wstring english = StringIn(id, MAKELANGID(LANG_ENGLISH, SUBLANG_ENGLISH_US));
    const std::wstring japanese = StringIn(id, MAKELANGID(LANG_JAPANESE, SUBLANG_DEFAULT));
    ASSERT_FALSE(english.empty()) << id;
    ASSERT_FALSE(japanese.empty()) << id;
    EXPECT_NE(japanese, english) << id;
    for (const wchar_t* mark : {L"%1", L"%2"})
      EXPECT_EQ(japanese.find(mark) == std::wstring::npos, english.find(mark) == std::wstring::npos) << id;
  }
}

// A tab that holds 1000 items takes no more, by Add or by a drop: told before any dialog, and
// once for a whole drop.
TEST_F(LauncherWindowTest, AFullTabRefusesAddAndDropBeforeAnyDialog) {
  ExModeSetting exMode(-1);
  groups[0].assign(kMaxLauncherGroupItems, Item("C:\\x.exe", "x"));
  std::string seen;
  {
    UiScript script({UiScript::OnMessageBox("as many as it can", IDOK, &seen)});
    Press(IDC_LAUNCHER_ADD);
    EXPECT_TRUE(script.Done());
    EXPECT_NE(seen.find("1000"), std::string::npos) << seen;
  }
  const auto dropOf = [](const std::vector<std::string>& paths) {
    std::string list;
    for (const auto& p : paths) list += p + '\0';
    list += '\0';
    HGLOBAL memory = ::GlobalAlloc(GHND, sizeof(DROPFILES) + list.size());
    auto* drop = static_cast<DROPFILES*>(::GlobalLock(memory));
    drop->pFiles = sizeof(DROPFILES);
    std::memcpy(reinterpret_cast<char*>(drop) + sizeof(DROPFILES), list.data(), list.size());
    ::GlobalUnlock(memory);
    return memory;
  };
  {
    int boxes = 0;
    UiScript script({UiScript::OnMessageBox("as many as it can", IDOK), [&](HWND w) {
                       char cls[32] = {};
                       ::GetClassNameA(w, cls, sizeof cls);
                       if (std::string(cls) == "#32770") ++boxes;
                       return false;
                     }});
    ::SendMessageA(W(), WM_DROPFILES, reinterpret_cast<WPARAM>(dropOf({"C:\\a.exe", "C:\\b.exe", "C:\\c.exe"})), 0);
    EXPECT_EQ(boxes, 0) << "one message for the whole drop, and no add dialog";
    EXPECT_EQ(groups[0].size(), static_cast<std::size_t>(kMaxLauncherGroupItems));
  }
  {
    // Room for one: the first file is added through its dialog, the rest told once.
    groups[0].pop_back();
    std::string told;
    UiScript script({UiScript::OnDialog("Add", [](HWND w) { UiScript::Click(w, IDOK); }),
                     UiScript::OnMessageBox("were not added", IDOK, &told)});
    ::SendMessageA(W(), WM_DROPFILES, reinterpret_cast<WPARAM>(dropOf({"C:\\a.exe", "C:\\b.exe", "C:\\c.exe"})), 0);
    EXPECT_TRUE(script.Done());
    EXPECT_NE(told.find("2 of the dropped files"), std::string::npos) << told;
    EXPECT_EQ(groups[0].size(), static_cast<std::size_t>(kMaxLauncherGroupItems));
    EXPECT_EQ(groups[0].back().path, "C:\\a.exe");
  }
}

}  // namespace
