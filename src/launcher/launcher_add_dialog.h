// Asks for the path and display name of a new launcher item (template 150).
#pragma once

#include <string>

#include "win/dialog.h"

class LauncherAddDialog : public Dialog {
 public:
  LauncherAddDialog();
  std::string path;  // preset it (a dropped file) before DoModal
  std::string name;

 protected:
  explicit LauncherAddDialog(UINT templateId);
  BOOL OnInitDialog() override;
  void OnOK() override;
  bool OnCommand(WORD id, WORD code, HWND control) override;
  // Reads the controls into the values.
  virtual void ReadControls();
  // Shows the open-file dialog starting from initial; true with the chosen path.
  virtual bool BrowseForFile(const std::string& initial, std::string& chosen);

 private:
  void OnBrowse();
};

// Windows' own answer for the user's code page.
bool AnsiLeadByte(unsigned char c);
