// The launcher: a captionless tool window with ten tabs of items to start (template 148).
// Created hidden by the clock window, shown and hidden by ToggleLauncher.
#pragma once

#include <windows.h>
#include <shellapi.h>

#include <string>

#include "launcher/launcher_item.h"
#include "win/dialog.h"
#include "win/unique_handle.h"

class LauncherWindow : public Dialog {
 public:
  explicit LauncherWindow(LauncherGroups& groups);

  // Creates the window hidden, owned by the clock window.
  bool Create(HWND clock);
  // Hides a visible launcher; otherwise shows it at the clock's left edge, just below the
  // clock when its top is in the upper half of the desktop, just above it otherwise.
  void ToggleLauncher(HWND clock);
  // The add dialog ("ExMode" chooses which), preset with initialPath when it is not empty.
  void AddFromDialog(const std::string& initialPath);
  // Starts an item through the shell; an encoded one is restored first and encoded again by a
  // watcher thread once the started program has ended.
  bool RunItem(const LauncherItem& item);

  int currentGroup() const { return current_; }
  int SelectedItem() const;

  // The folder of the program's executable, with its trailing backslash.
  static std::string ProgramDirectory();
  // How long the user interface waits for a started program to be ready for input.
  static constexpr DWORD kInputIdleWaitMs = 5000;

 protected:
  BOOL OnInitDialog() override;
  bool OnCommand(WORD id, WORD code, HWND control) override;
  void OnOK() override;
  void OnCancel() override;
  LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override;

 private:
  void FillList();
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
  int current_ = 0;
  IconHandle smallIcon_;
  IconHandle bigIcon_;
};
