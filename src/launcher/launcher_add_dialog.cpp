#include "launcher/launcher_add_dialog.h"

#include <commdlg.h>

#include <vector>

#include "launcher/encoding_key_dialog.h"
#include "launcher/proposed_name.h"
#include "resource.h"
#include "win/string_table.h"

bool AnsiLeadByte(unsigned char c) { return ::IsDBCSLeadByte(c) != FALSE; }

LauncherAddDialog::LauncherAddDialog() : Dialog(IDD_LAUNCHER_ADD) {}
LauncherAddDialog::LauncherAddDialog(UINT templateId) : Dialog(templateId) {}

BOOL LauncherAddDialog::OnInitDialog() {
  Dialog::OnInitDialog();
  ::SetWindowTextA(Item(IDC_LAUNCHER_ADD_PATH), path.c_str());
  if (!path.empty()) name = ProposedName(path, AnsiLeadByte);
  ::SetWindowTextA(Item(IDC_LAUNCHER_ADD_NAME), name.c_str());
  return TRUE;
}

void LauncherAddDialog::ReadControls() {
  path = ControlText(Item(IDC_LAUNCHER_ADD_PATH));
  name = ControlText(Item(IDC_LAUNCHER_ADD_NAME));
}

void LauncherAddDialog::OnOK() {
  ReadControls();
  Dialog::OnOK();
}

bool LauncherAddDialog::OnCommand(WORD id, WORD code, HWND control) {
  if (id == IDC_LAUNCHER_ADD_BROWSE && code == BN_CLICKED) {
    OnBrowse();
    return true;
  }
  return Dialog::OnCommand(id, code, control);
}

bool LauncherAddDialog::BrowseForFile(const std::string& initial, std::string& chosen) {
  // The filter is stored with '|' between its parts; the common dialog wants NULs.
  std::string filter = StringTable::Load(IDS_LAUNCHER_FILE_FILTER);
  for (char& c : filter) {
    if (c == '|') c = '\0';
  }
  filter.push_back('\0');
  std::vector<char> file(MAX_PATH * 4, '\0');
  initial.copy(file.data(), file.size() - 1);
  OPENFILENAMEA ofn{};
  ofn.lStructSize = sizeof ofn;
  ofn.hwndOwner = hwnd();
  ofn.lpstrFilter = filter.c_str();
  ofn.nFilterIndex = 1;
  ofn.lpstrFile = file.data();
  ofn.nMaxFile = static_cast<DWORD>(file.size());
  ofn.Flags = OFN_HIDEREADONLY | OFN_OVERWRITEPROMPT | OFN_EXPLORER;
  if (!::GetOpenFileNameA(&ofn)) return false;
  chosen = file.data();
  return true;
}

void LauncherAddDialog::OnBrowse() {
  std::string chosen;
  if (!BrowseForFile(ControlText(Item(IDC_LAUNCHER_ADD_PATH)), chosen)) return;
  ::SetWindowTextA(Item(IDC_LAUNCHER_ADD_PATH), chosen.c_str());
  if (!chosen.empty()) ::SetWindowTextA(Item(IDC_LAUNCHER_ADD_NAME), ProposedName(chosen, AnsiLeadByte).c_str());
}
