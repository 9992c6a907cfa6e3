// The add dialog with the choice to encode the file and its key (template 151).
#pragma once

#include <cstdint>
#include <string>

#include "launcher/launcher_add_dialog.h"

class LauncherAddEncodeDialog : public LauncherAddDialog {
 public:
  LauncherAddEncodeDialog();
  std::int32_t encode = 0;
  // After OK with encode: the key's bytes in the system's ANSI code page
  // (EncodingKeyDialog::KeyFromText).
  std::string key;

 protected:
  BOOL OnInitDialog() override;
  bool OnCommand(WORD id, WORD code, HWND control) override;
  void ReadControls() override;
  bool Accept() override;

 private:
  void EnableKey();
  std::string keyText_;
};
