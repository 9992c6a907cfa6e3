#include "launcher/file_progress_dialog.h"

#include <commctrl.h>

#include <atomic>
#include <cstdio>

#include "launcher/active_encoded_runs.h"
#include "resource.h"
#include "win/wide_text.h"
#include "win/worker_thread.h"

namespace {
constexpr UINT_PTR kRefreshTimer = 1;
constexpr UINT kJobDone = WM_APP + 0x51;
}  // namespace

struct FileProgressDialog::State {
  FileProgress progress;
  std::atomic<bool> done{false};
  std::atomic<bool> result{false};
};

FileProgressDialog::FileProgressDialog(std::string caption, std::string detail, std::shared_ptr<State> state)
    : Dialog(IDD_FILE_PROGRESS), caption_(std::move(caption)), detail_(std::move(detail)), state_(std::move(state)) {}

bool FileProgressDialog::Run(HWND owner, const std::string& caption, const std::string& detail, const Job& job) {
  // The file is in the middle of being changed: the clock's Exit waits for it like for a run.
  EncodedRunCount busy;
  auto state = std::make_shared<State>();
  INITCOMMONCONTROLSEX controls{sizeof controls, ICC_PROGRESS_CLASS};
  ::InitCommonControlsEx(&controls);
  // The worker holds the state, not the dialog: it may end after the window is gone.
  const auto work = [state, &job] {
    try {
      state->result = job(state->progress);
    } catch (...) {
      Window::TraceStoppedException("a file job");
      state->result = false;
    }
    state->done = true;
  };
  FileProgressDialog dialog(caption, detail, state);
  // The window is made (hidden) in the modal loop's own start; the job begins once it is there.
  dialog.startJob_ = [state, work](HWND window) {
    if (!WorkerThread::Start([work, window] {
          work();
          ::PostMessageW(window, kJobDone, 0, 0);
        }))
      work();
  };
  if (dialog.DoModalWhile(owner, [state] { return !state->done; }, false) == -1 && !state->done && !dialog.jobStarted_)
    return job(state->progress);  // no window to be had: the job runs here
  if (!state->done) {
    // The loop ended before the job (the program is ending): stop it and wait (it leaves its files clean).
    state->progress.cancelled = true;
    while (!state->done) ::Sleep(10);
  }
  return state->result;
}

BOOL FileProgressDialog::OnInitDialog() {
  Dialog::OnInitDialog();
  WideText::SetWindow(hwnd(), caption_);
  SetItemText(IDC_FILE_PROGRESS_TEXT, detail_);
  ::SendDlgItemMessageW(hwnd(), IDC_FILE_PROGRESS_BAR, PBM_SETRANGE32, 0, 100);
  started_ = ::GetTickCount();
  ::SetTimer(hwnd(), kRefreshTimer, kRefreshMs, nullptr);
  if (startJob_) {
    jobStarted_ = true;
    startJob_(hwnd());
  }
  return TRUE;
}

void FileProgressDialog::Refresh() {
  const int percent = state_->progress.Percent();
  ::SendDlgItemMessageW(hwnd(), IDC_FILE_PROGRESS_BAR, PBM_SETPOS, static_cast<WPARAM>(percent), 0);
  char text[16];
  std::snprintf(text, sizeof text, "%d %%", percent);
  SetItemText(IDC_FILE_PROGRESS_PERCENT, text);
  if (!::IsWindowVisible(hwnd()) && !state_->done && ::GetTickCount() - started_ >= kShowAfterMs)
    ::ShowWindow(hwnd(), SW_SHOW);
}

void FileProgressDialog::OnCancel() {
  state_->progress.cancelled = true;
  EnableItem(IDCANCEL, false);
}

LRESULT FileProgressDialog::WindowProc(UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_TIMER && wParam == kRefreshTimer) {
    Refresh();
    return 0;
  }
  if (message == kJobDone) return 0;  // wakes the loop in Run
  if (message == WM_DESTROY) ::KillTimer(hwnd(), kRefreshTimer);
  return Dialog::WindowProc(message, wParam, lParam);
}
