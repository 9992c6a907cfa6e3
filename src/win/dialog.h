// Dialogs built from a template: modal (with its own message loop, so that
// PreTranslateMessage reaches every window) or modeless.
#pragma once

#include <windows.h>

#include <functional>
#include <string>
#include <string_view>

#include "win/window.h"

class Dialog : public Window {
 public:
  explicit Dialog(UINT templateId) : templateId_(templateId) {}

  // Runs the dialog until EndDialog; with no owner the main window owns it
  // and is disabled meanwhile. Returns the EndDialog value, -1 on failure.
  INT_PTR DoModal(HWND owner = nullptr);
  // As DoModal, but the loop also ends once `running` says false (asked after each message; the
  // one who makes it false posts a message to wake the loop), and the window is shown at once
  // only when `show`. For a window over work done elsewhere, such as a progress window.
  INT_PTR DoModalWhile(HWND owner, const std::function<bool()>& running, bool show);
  bool CreateModeless(HWND parent);
  void EndDialog(INT_PTR result);

  HWND Item(int id) const { return ::GetDlgItem(hwnd(), id); }
  // Typed access to the dialog's items; texts are UTF-8.
  std::string ItemText(int id) const;
  bool SetItemText(int id, std::string_view text) const;
  bool IsChecked(int id) const;
  void SetChecked(int id, bool checked) const;
  void EnableItem(int id, bool enabled) const;

 protected:
  virtual BOOL OnInitDialog() { return TRUE; }
  virtual void OnOK();
  virtual void OnCancel();
  // true when handled; the default routes IDOK and IDCANCEL.
  virtual bool OnCommand(WORD id, WORD code, HWND control);

  LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override;
  bool PreTranslateMessage(MSG* msg) override;

 private:
  static INT_PTR CALLBACK StaticDialogProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
  // Gives a modal dialog's owner back (enabled, activated) and hides the dialog.
  void ReleaseOwner();

  UINT templateId_;
  bool modal_ = false;
  HWND owner_ = nullptr;
  bool ownerDisabled_ = false;
  bool ending_ = false;
  INT_PTR result_ = -1;
};
