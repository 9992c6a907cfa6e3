#include "win/dialog.h"

#include "win/modal_windows.h"
#include "win/wide_text.h"

INT_PTR CALLBACK Dialog::StaticDialogProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message != WM_INITDIALOG) return FALSE;
  auto* self = reinterpret_cast<Dialog*>(lParam);
  self->Subclass(window);
  try {
    return self->OnInitDialog();
  } catch (...) {
    TraceStoppedException("a dialog's initialisation");
    return TRUE;
  }
}

INT_PTR Dialog::DoModal(HWND owner) { return DoModalWhile(owner, nullptr, true); }

INT_PTR Dialog::DoModalWhile(HWND owner, const std::function<bool()>& running, bool show) {
  if (owner == nullptr) owner = MainWindow();
  if (owner != nullptr && !::IsWindow(owner)) owner = nullptr;
  owner_ = owner;
  ownerDisabled_ = owner != nullptr && ::IsWindowEnabled(owner);
  modal_ = true;
  ending_ = false;
  result_ = -1;
  if (ownerDisabled_) ::EnableWindow(owner, FALSE);
  HWND window = ::CreateDialogParamW(::GetModuleHandleW(nullptr), MAKEINTRESOURCEW(templateId_), owner,
                                     StaticDialogProc, reinterpret_cast<LPARAM>(this));
  if (window == nullptr) {
    ReleaseOwner();
    modal_ = false;
    return -1;
  }
  ModalWindows::Scope modalScope(window);
  if (!ending_ && show) ::ShowWindow(window, SW_SHOW);
  while (!ending_ && hwnd() != nullptr && (!running || running())) {
    if (!PumpMessage()) break;
  }
  ReleaseOwner();
  if (hwnd() != nullptr) ::DestroyWindow(hwnd());
  modal_ = false;
  return result_;
}

// As the system's EndDialog does: the owner is enabled before the dialog is hidden, so the
// activation the hidden dialog gives up can go back to the owner and not to another program.
void Dialog::ReleaseOwner() {
  if (ownerDisabled_ && owner_ != nullptr) ::EnableWindow(owner_, TRUE);
  ownerDisabled_ = false;
  if (hwnd() == nullptr) return;
  ::SetWindowPos(hwnd(), nullptr, 0, 0, 0, 0, SWP_HIDEWINDOW | SWP_NOSIZE | SWP_NOMOVE | SWP_NOACTIVATE | SWP_NOZORDER);
  if (owner_ != nullptr && ::GetActiveWindow() == hwnd()) ::SetActiveWindow(owner_);
}

bool Dialog::CreateModeless(HWND parent) {
  modal_ = false;
  return ::CreateDialogParamW(::GetModuleHandleW(nullptr), MAKEINTRESOURCEW(templateId_), parent,
                              StaticDialogProc, reinterpret_cast<LPARAM>(this)) != nullptr;
}

void Dialog::EndDialog(INT_PTR result) {
  result_ = result;
  // Ended at once for the user, as the system's dialogs are: the window goes and its owner is
  // back, even when a nested loop (a dialog of another window) keeps this one's loop from
  // returning yet.
  if (modal_ && !ending_) ReleaseOwner();
  ending_ = true;
  // Wake the modal loop if it is waiting.
  if (hwnd() != nullptr) ::PostMessageW(hwnd(), WM_NULL, 0, 0);
}

void Dialog::OnOK() {
  if (modal_) EndDialog(IDOK);
  else ::DestroyWindow(hwnd());
}

void Dialog::OnCancel() {
  if (modal_) EndDialog(IDCANCEL);
  else ::DestroyWindow(hwnd());
}

bool Dialog::OnCommand(WORD id, WORD code, HWND control) {
  if (id == IDOK && (code == BN_CLICKED || control == nullptr)) {
    OnOK();
    return true;
  }
  if (id == IDCANCEL && (code == BN_CLICKED || control == nullptr)) {
    OnCancel();
    return true;
  }
  return false;
}

LRESULT Dialog::WindowProc(UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_COMMAND &&
      OnCommand(LOWORD(wParam), HIWORD(wParam), reinterpret_cast<HWND>(lParam))) {
    return 0;
  }
  return Default();
}

bool Dialog::PreTranslateMessage(MSG* msg) {
  if (hwnd() == nullptr) return false;
  if (msg->message >= WM_KEYFIRST && msg->message <= WM_KEYLAST) return ::IsDialogMessageW(hwnd(), msg) != FALSE;
  return false;
}

std::string Dialog::ItemText(int id) const { return WideText::OfWindow(Item(id)); }

bool Dialog::SetItemText(int id, std::string_view text) const { return WideText::SetWindow(Item(id), text); }

bool Dialog::IsChecked(int id) const { return ::IsDlgButtonChecked(hwnd(), id) == BST_CHECKED; }

void Dialog::SetChecked(int id, bool checked) const {
  ::CheckDlgButton(hwnd(), id, checked ? BST_CHECKED : BST_UNCHECKED);
}

void Dialog::EnableItem(int id, bool enabled) const { ::EnableWindow(Item(id), enabled ? TRUE : FALSE); }
