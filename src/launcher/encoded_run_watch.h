#pragma once

#include <windows.h>

#include <condition_variable>
#include <memory>
#include <mutex>
#include <string>

#include "launcher/encoded_run.h"
#include "launcher/open_elsewhere_notice.h"
#include "win/unique_handle.h"

// One started encoded item, watched by a thread of its own: once the program ends, its
// restored file is encoded again over the item's encoded file and deleted (EncodedRun). The
// thread is made before anything is decoded, so a restored file never lacks a watcher; until
// the program is started the thread waits, and it simply ends when nothing was started. When
// there is no process to wait for (the file went to a program that was running already), or
// the file is still open elsewhere after the process ended (it was a starter that handed the
// file on), the watch goes to a notice on the user-interface thread, which keeps it, and so the
// run and its count, until the user has the file encoded.
class EncodedRunWatch : public std::enable_shared_from_this<EncodedRunWatch> {
 public:
  // Posted to the window: an OwnedMessage of a std::string, a warning to show.
  static constexpr UINT kShowMessage = WM_APP + 0x52;
  // Posted to the window: an OwnedMessage of a std::shared_ptr<EncodedRunWatch> whose file is
  // still open elsewhere, for the notice that asks the user to close it.
  static constexpr UINT kOpenElsewhere = WM_APP + 0x55;

  // EncodedRun::EncodeAgain on the user-interface thread: the work runs behind a progress window.
  static OpenElsewhereNotice::Result EncodeAgainShown(HWND owner, EncodedRun& run, const std::string& plain);

  EncodedRunWatch(std::unique_ptr<EncodedRun> run, HWND notify) : run_(std::move(run)), notify_(notify) {}

  EncodedRun& run() { return *run_; }

  void Watch(HANDLE process) {
    {
      std::lock_guard<std::mutex> lock(mutex_);
      process_.reset(process);
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

  // The watcher thread: waits for the program, then encodes the file again.
  void Run();

  // "Encode now" of the notice, on the user-interface thread once the watcher is done.
  OpenElsewhereNotice::Result EncodeNow(HWND owner) { return EncodeAgainShown(owner, *run_, run_->target()); }
  const std::string& name() const { return run_->item().name; }

 private:
  enum class State { Waiting, Watching, Abandoned };

  std::unique_ptr<EncodedRun> run_;  // counted, and its files claimed, until the watch is gone
  HWND notify_;
  std::mutex mutex_;
  std::condition_variable changed_;
  State state_ = State::Waiting;
  KernelHandle process_;
};
