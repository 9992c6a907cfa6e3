#include "launcher/launcher_add_encode_dialog.h"

#include "launcher/encoding_key_dialog.h"
#include "resource.h"

LauncherAddEncodeDialog::LauncherAddEncodeDialog() : LauncherAddDialog(IDD_LAUNCHER_ADD_ENCODE) {}

BOOL LauncherAddEncodeDialog::OnInitDialog() {
  ::CheckDlgButton(hwnd(), IDC_LAUNCHER_ADD_ENCODE, encode ? BST_CHECKED : BST_UNCHECKED);
  ::SetWindowTextA(Item(IDC_LAUNCHER_ADD_KEY), key.c_str());
  EnableKey();
  return LauncherAddDialog::OnInitDialog();
}

void LauncherAddEncodeDialog::EnableKey() {
  ::EnableWindow(Item(IDC_LAUNCHER_ADD_KEY_LABEL), encode != 0);
  ::EnableWindow(Item(IDC_LAUNCHER_ADD_KEY), encode != 0);
}

void LauncherAddEncodeDialog::ReadControls() {
  LauncherAddDialog::ReadControls();
  encode = ::IsDlgButtonChecked(hwnd(), IDC_LAUNCHER_ADD_ENCODE) == BST_CHECKED ? 1 : 0;
  key = ControlText(Item(IDC_LAUNCHER_ADD_KEY));
}

bool LauncherAddEncodeDialog::OnCommand(WORD id, WORD code, HWND control) {
  if (id == IDC_LAUNCHER_ADD_ENCODE && code == BN_CLICKED) {
    ReadControls();
    EnableKey();
    return true;
  }
  return LauncherAddDialog::OnCommand(id, code, control);
}
