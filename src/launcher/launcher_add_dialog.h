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
  // Checks the values read before the dialog ends; false keeps it open.
  virtual bool Accept() { return true; }
  // Shows the open-file dialog starting from initial; true with the chosen path.
  virtual bool BrowseForFile(const std::string& initial, std::string& chosen);

 private:
  void OnBrowse();
};
