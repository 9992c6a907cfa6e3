// The time-adjustment settings dialog (template 147). Works on its own
// copies; the caller takes them back only when it ends with OK.
#pragma once

#include <windows.h>

#include <cstdint>
#include <string>

#include "timesync/time_adjust_settings.h"
#include "win/dialog.h"

class TimeAdjustDialog : public Dialog {
 public:
  TimeAdjustDialog();

  bool adjustAtStart = false;
  bool adjustMessage = false;
  std::string server;
  std::string port;
  std::uint32_t timeoutMs = 5000;  // 500 to 10000
  std::uint32_t retries = 3;       // 1 to 10

  // Moves the values into the controls (false) or, checking them, out of the
  // controls (true). A refused field gets the focus and the values stay as
  // far as the exchange had come.
  bool UpdateData(bool fromControls);

 protected:
  BOOL OnInitDialog() override;
  void OnOK() override;
  bool OnCommand(WORD id, WORD code, HWND control) override;
  // The standard validation message; tests replace it.
  virtual void ShowValidationMessage(const std::string& text);

 private:
  bool ExchangeUnsigned(int id, std::uint32_t& value, std::uint32_t minimum, std::uint32_t maximum);
  void Refuse(int id, const std::string& text);
};

// The handler of "Time adjustment...": edits the settings and the two
// switches; true when the user confirmed with OK (the caller then saves).
bool ShowTimeAdjustDialog(TimeAdjustSettings& settings, TimeAdjustOptions& options);
