// The launcher: a captionless tool window with ten tabs of items to start (template 148).
// Created hidden by the clock window, shown and hidden by ToggleLauncher.
#pragma once

#include <windows.h>
#include <shellapi.h>

#include <memory>
#include <string>
#include <vector>

#include "launcher/launcher_item.h"
#include "launcher/open_elsewhere_notice.h"
#include "storage/file_access.h"
#include "win/dialog.h"
#include "win/unique_handle.h"

class EncodedRunWatch;

class LauncherWindow : public Dialog {
 public:
  explicit LauncherWindow(LauncherGroups& groups);

  // Creates the window hidden, owned by the clock window.
  bool Create(HWND clock);
  // Hides a visible launcher; otherwise shows it at the clock's left edge, just below the
  // clock when its top is in the upper half of the desktop, just above it otherwise.
  void ToggleLauncher(HWND clock);
  // The add dialog ("ExMode" chooses which), preset with initialPath when it is not empty;
  // a full tab says so instead. An item to encode is encoded off this thread with a progress
  // window (Cancel adds nothing and leaves the original as it was), beside the program or, when
  // its folder takes no new files, in the user's application data folder; then the original is
  // deleted, and a failure to delete it told.
  void AddFromDialog(const std::string& initialPath);
  // Starts an item through the shell; an encoded one (EncodedRun) is refused while it runs
  // already, restored first (off this thread, with a progress window) without replacing
  // anything unasked, and encoded again by a watcher thread once the started program has
  // ended. A re-encoding that fails keeps the plain file and tells the user.
  bool RunItem(const LauncherItem& item);

  // The file functions the launcher's file work goes through (the Win32 ones unless a test
  // puts a slower disk in their place).
  void SetFileAccess(FileAccess& files) { files_ = &files; }

  int currentGroup() const { return current_; }
  int SelectedItem() const;
  // Tells the owner that the groups changed.
  void GroupsChanged();

  // The folder of the program's executable, with its trailing backslash.
  static std::string ProgramDirectory();
  // How long the user interface waits for a started program to be ready for input.
  static constexpr DWORD kInputIdleWaitMs = 5000;
  // Posted to the owner (the clock) when an item was added, deleted or moved: the owner of the
  // settings saves them then, not at some later occasion.
  static constexpr UINT kGroupsChanged = WM_APP + 0x59;

 protected:
  BOOL OnInitDialog() override;
  bool OnCommand(WORD id, WORD code, HWND control) override;
  void OnOK() override;
  void OnCancel() override;
  LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override;
  // Enter in the list starts the chosen item (not the default "Execute All").
  bool PreTranslateMessage(MSG* msg) override;

 private:
  // Starts the chosen item and hides the launcher (double-click, Enter).
  void RunSelected();
  // Keeps a run whose file is still open elsewhere, behind a notice that encodes it on demand.
  void ShowOpenElsewhere(std::shared_ptr<EncodedRunWatch> watch);
  // Names, once, the restored files that a run the clock did not see the end of left on the disk.
  void TellLeftFiles();
  // ShellExecuteExW with the "open" verb; the started process when asked for and there is one.
  static bool StartFile(const std::string& file, HANDLE* process);
  void FillList();
  // The current tab holds as many items as a tab can.
  bool TabFull() const;
  void OnDelete();
  void OnMove(int delta);
  void OnExecuteAll();
  void OnDropFiles(HDROP drop);
  LauncherGroup& Group();
  void Select(int row);
  // The window's icons at its DPI; the list's column and the tab buttons sized to the controls.
  void LoadIcons(int dpi);
  void SizeColumnAndTabs(int dpi);

  LauncherGroups& groups_;
  FileAccess* files_;
  int current_ = 0;
  IconHandle smallIcon_;
  IconHandle bigIcon_;
  // Runs whose restored file is still open in another program, each behind its notice.
  std::vector<std::unique_ptr<OpenElsewhereNotice>> notices_;
};
