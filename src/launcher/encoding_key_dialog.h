// Asks for the key of an encoded launcher item (template 131, the key hidden as typed).
#pragma once

#include <string>

#include "win/dialog.h"

class EncodingKeyDialog : public Dialog {
 public:
  EncodingKeyDialog();
  std::string key;

 protected:
  BOOL OnInitDialog() override;
  void OnOK() override;
};

// The text of a dialog control.
std::string ControlText(HWND control);
