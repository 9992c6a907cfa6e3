#include "launcher/launcher_add_dialog.h"

#include <commdlg.h>

#include <algorithm>
#include <vector>

#include "launcher/proposed_name.h"
#include "resource.h"
#include "win/string_table.h"
#include "win/wide_text.h"

LauncherAddDialog::LauncherAddDialog() : Dialog(IDD_LAUNCHER_ADD) {}
LauncherAddDialog::LauncherAddDialog(UINT templateId) : Dialog(templateId) {}

BOOL LauncherAddDialog::OnInitDialog() {
  Dialog::OnInitDialog();
  SetItemText(IDC_LAUNCHER_ADD_PATH, path);
  if (!path.empty()) name = ProposedName(path);
  SetItemText(IDC_LAUNCHER_ADD_NAME, name);
  return TRUE;
}

void LauncherAddDialog::ReadControls() {
  path = ItemText(IDC_LAUNCHER_ADD_PATH);
  name = ItemText(IDC_LAUNCHER_ADD_NAME);
}

void LauncherAddDialog::OnOK() {
  ReadControls();
  if (!Accept()) return;
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
  std::wstring filter = WideText::From(StringTable::Load(IDS_LAUNCHER_FILE_FILTER));
  for (wchar_t& c : filter) {
    if (c == L'|') c = L'\0';
  }
  filter.push_back(L'\0');
  // Room for a long path; the dialog says so (and fails) when a choice does not fit.
  std::vector<wchar_t> file(32768, L'\0');
  const std::wstring start = WideText::From(initial);
  start.copy(file.data(), std::min(start.size(), file.size() - 1));
  OPENFILENAMEW ofn{};
  ofn.lStructSize = sizeof ofn;
  ofn.hwndOwner = hwnd();
  ofn.lpstrFilter = filter.c_str();
  ofn.nFilterIndex = 1;
  ofn.lpstrFile = file.data();
  ofn.nMaxFile = static_cast<DWORD>(file.size());
  ofn.Flags = OFN_HIDEREADONLY | OFN_OVERWRITEPROMPT | OFN_EXPLORER;
  if (!::GetOpenFileNameW(&ofn)) return false;
  chosen = WideText::ToUtf8(file.data());
  return true;
}

void LauncherAddDialog::OnBrowse() {
  std::string chosen;
  if (!BrowseForFile(ItemText(IDC_LAUNCHER_ADD_PATH), chosen)) return;
  SetItemText(IDC_LAUNCHER_ADD_PATH, chosen);
  if (!chosen.empty()) SetItemText(IDC_LAUNCHER_ADD_NAME, ProposedName(chosen));
}
