#include "launcher/encoding_key_dialog.h"

#include <vector>

#include "resource.h"

std::string ControlText(HWND control) {
  const int length = ::GetWindowTextLengthA(control);
  if (length <= 0) return std::string();
  std::vector<char> buffer(static_cast<std::size_t>(length) + 1);
  const int got = ::GetWindowTextA(control, buffer.data(), length + 1);
  return std::string(buffer.data(), static_cast<std::size_t>(got > 0 ? got : 0));
}

EncodingKeyDialog::EncodingKeyDialog() : Dialog(IDD_KEY_INPUT) {}

BOOL EncodingKeyDialog::OnInitDialog() {
  Dialog::OnInitDialog();
  ::SetWindowTextA(Item(IDC_ENCODING_KEY), key.c_str());
  return TRUE;
}

void EncodingKeyDialog::OnOK() {
  key = ControlText(Item(IDC_ENCODING_KEY));
  Dialog::OnOK();
}
