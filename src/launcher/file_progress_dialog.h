// Long file work of the launcher (encoding a new item, restoring one to run or to remove it)
// runs on a worker thread while this thread goes on serving every window: the clock paints,
// its timers and the QuickTimers run. Work that lasts more than kShowAfterMs brings up a small
// window (template 152) with a progress bar, the percent done and Cancel; its owner is
// disabled meanwhile: the window runs in Dialog's modal loop for as long as the job runs. An
// exception that ends a job is traced and counts as a failure.
#pragma once

#include <windows.h>

#include <functional>
#include <memory>
#include <string>

#include "launcher/file_progress.h"
#include "win/dialog.h"

class FileProgressDialog : public Dialog {
 public:
  using Job = std::function<bool(FileProgress&)>;

  // Runs job and returns its result. caption: the window's title (what is done to which item);
  // detail: the line above the bar (the file). Cancel sets the progress's cancelled flag, and
  // the job is waited for to its end either way. With no thread to be had, the job runs here.
  static bool Run(HWND owner, const std::string& caption, const std::string& detail, const Job& job);

  static constexpr UINT kShowAfterMs = 300;
  static constexpr UINT kRefreshMs = 100;

 protected:
  BOOL OnInitDialog() override;
  void OnOK() override {}
  void OnCancel() override;
  LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override;

 private:
  struct State;
  FileProgressDialog(std::string caption, std::string detail, std::shared_ptr<State> state);
  void Refresh();

  std::string caption_;
  std::string detail_;
  std::shared_ptr<State> state_;
  DWORD started_ = 0;
  std::function<void(HWND)> startJob_;  // starts the job once the window exists
  bool jobStarted_ = false;
};
