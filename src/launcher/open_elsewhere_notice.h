// The notice of a started encoded item whose restored file is still open in another program
// (one that was running already, or that a starter handed the file to before it ended):
// template 160 names the item; "Encode now" encodes the file again and deletes it, "Later"
// hides the notice until its reminder brings it back. The run stays counted, so Exit is
// refused, until the file has been encoded.
#pragma once

#include <windows.h>

#include <functional>
#include <string>

#include "win/dialog.h"

class OpenElsewhereNotice : public Dialog {
 public:
  enum class Outcome { Encoded, InUse, Failed };
  struct Result {
    Outcome outcome = Outcome::Failed;
    std::string message;  // for Failed: what to tell the user
  };
  // Encodes the file again; owner: the window to show its progress over.
  using EncodeNow = std::function<Result(HWND owner)>;

  // `done` is sent kDone (lParam: this notice) once the file is encoded and the notice gone.
  OpenElsewhereNotice(std::string name, EncodeNow encode, HWND done);
  bool Show(HWND owner);

  static constexpr UINT kDone = WM_APP + 0x54;
  // How long "Later" hides the notice.
  static constexpr UINT kReminderMs = 10 * 60 * 1000;

 protected:
  BOOL OnInitDialog() override;
  void OnOK() override {}
  void OnCancel() override;
  bool OnCommand(WORD id, WORD code, HWND control) override;
  LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override;

 private:
  void SetText(UINT id);

  std::string name_;
  EncodeNow encode_;
  HWND done_;
};
