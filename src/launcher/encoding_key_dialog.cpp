#include "launcher/encoding_key_dialog.h"

#include "launcher/file_encoding.h"
#include "resource.h"
#include "win/ansi_code_page.h"
#include "win/message_box.h"

EncodingKeyDialog::EncodingKeyDialog() : Dialog(IDD_KEY_INPUT) {}

bool EncodingKeyDialog::KeyFromText(std::string_view text, HWND owner, std::string& bytes) {
  if (KeyBytes(text, AnsiCodePage::System(), bytes)) return true;
  MessageBoxes::ShowString(IDS_KEY_NOT_IN_CODE_PAGE, MB_OK | MB_ICONWARNING, owner);
  return false;
}

BOOL EncodingKeyDialog::OnInitDialog() {
  Dialog::OnInitDialog();
  return TRUE;
}

void EncodingKeyDialog::OnOK() {
  if (!KeyFromText(ItemText(IDC_ENCODING_KEY), hwnd(), key)) {
    ::SetFocus(Item(IDC_ENCODING_KEY));
    return;
  }
  Dialog::OnOK();
}
