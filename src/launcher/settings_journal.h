#pragma once

#include <windows.h>

#include <atomic>
#include <string>
#include <vector>

#include "launcher/encoded_run.h"
#include "storage/file_access.h"

// The list of restored files in the settings file (section "Decoded"), each change saved at once
// and made only here. The
// user-interface thread makes them, as it makes every other save of the settings, so that no
// save works from an older copy; a change asked for on another thread is handed to it and
// waited for, and made where it was asked only when the window does not take it in time (it is
// gone, or waits for the runs at the session's end). Record and Clear may be made twice that
// way, which changes nothing.
class SettingsJournal : public RunJournal {
 public:
  // Posted to the window with an OwnedMessage of one change; the window passes it to Take.
  static constexpr UINT kChangeMessage = WM_APP + 0x56;

  enum class Kind { Record, Clear, Lists };

  static SettingsJournal& Instance();
  void SetWindow(HWND window) { window_.store(window); }
  bool Record(const std::string& path) override { return Change(Kind::Record, path); }
  bool Clear(const std::string& path) override { return Change(Kind::Clear, path); }
  bool Lists(const std::string& path) override { return Change(Kind::Lists, path); }

  // At start-up, on the window's thread: empties the list and returns the files still left on
  // the disk (RestoredFileJournal::TakeLeftFiles), written here like every other change of it.
  std::vector<std::string> TakeLeftFiles(FileAccess& files);
  // On the window's thread: makes the change a kChangeMessage carries and answers it.
  static void Take(LPARAM lParam);

 private:
  bool Change(Kind kind, const std::string& path);
  std::atomic<HWND> window_{nullptr};
};
