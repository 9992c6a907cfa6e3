#include "launcher/launcher_add_encode_dialog.h"

#include "launcher/encoding_key_dialog.h"
#include "resource.h"

LauncherAddEncodeDialog::LauncherAddEncodeDialog() : LauncherAddDialog(IDD_LAUNCHER_ADD_ENCODE) {}

BOOL LauncherAddEncodeDialog::OnInitDialog() {
  SetChecked(IDC_LAUNCHER_ADD_ENCODE, encode != 0);
  EnableKey();
  return LauncherAddDialog::OnInitDialog();
}

void LauncherAddEncodeDialog::EnableKey() {
  EnableItem(IDC_LAUNCHER_ADD_KEY_LABEL, encode != 0);
  EnableItem(IDC_LAUNCHER_ADD_KEY, encode != 0);
}

void LauncherAddEncodeDialog::ReadControls() {
  LauncherAddDialog::ReadControls();
  encode = IsChecked(IDC_LAUNCHER_ADD_ENCODE) ? 1 : 0;
  keyText_ = ItemText(IDC_LAUNCHER_ADD_KEY);
}

bool LauncherAddEncodeDialog::Accept() {
  key.clear();
  if (encode == 0) return true;
  if (EncodingKeyDialog::KeyFromText(keyText_, hwnd(), key)) return true;
  ::SetFocus(Item(IDC_LAUNCHER_ADD_KEY));
  return false;
}

bool LauncherAddEncodeDialog::OnCommand(WORD id, WORD code, HWND control) {
  if (id == IDC_LAUNCHER_ADD_ENCODE && code == BN_CLICKED) {
    ReadControls();
    EnableKey();
    return true;
  }
  return LauncherAddDialog::OnCommand(id, code, control);
}
