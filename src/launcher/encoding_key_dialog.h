// Asks for the key of an encoded launcher item (template 131, the key hidden as typed).
#pragma once

#include <string>
#include <string_view>

#include "win/dialog.h"

class EncodingKeyDialog : public Dialog {
 public:
  EncodingKeyDialog();
  // After OK: the key as the encoding takes it, its bytes in the system's ANSI code page.
  std::string key;

  // The bytes of a typed key in the system's ANSI code page, as every earlier build took it.
  // A character the code page cannot hold is refused with a message over owner (a best fit
  // would make two different keys one): false, and the caller keeps its dialog open.
  static bool KeyFromText(std::string_view text, HWND owner, std::string& bytes);

 protected:
  BOOL OnInitDialog() override;
  void OnOK() override;
};
