#include "timesync/time_adjust_dialog.h"

#include <string>

#include "resource.h"
#include "win/message_box.h"
#include "win/string_table.h"
#include "win/wide_text.h"

namespace {

// Digits with optional blanks around them; no sign, nothing else.
bool ParseUnsigned(const std::string& text, std::uint64_t& value) {
  std::size_t i = 0;
  while (i < text.size() && (text[i] == ' ' || text[i] == '\t')) ++i;
  const std::size_t first = i;
  value = 0;
  for (; i < text.size() && text[i] >= '0' && text[i] <= '9'; ++i) {
    if (value <= 0xFFFFFFFFull) value = value * 10 + static_cast<unsigned>(text[i] - '0');
  }
  if (i == first) return false;
  while (i < text.size() && (text[i] == ' ' || text[i] == '\t')) ++i;
  return i == text.size();
}

}  // namespace

TimeAdjustDialog::TimeAdjustDialog() : Dialog(IDD_TIME_ADJUST) {}

BOOL TimeAdjustDialog::OnInitDialog() {
  Dialog::OnInitDialog();
  ::SendMessageW(Item(IDC_ADJUST_SERVER), CB_ADDSTRING, 0,
                 reinterpret_cast<LPARAM>(WideText::From(TimeAdjustSettings::kDefaultServer).c_str()));
  UpdateData(false);
  return TRUE;
}

void TimeAdjustDialog::ShowValidationMessage(const std::string& text) {
  MessageBoxes::Show(text, MB_OK | MB_ICONEXCLAMATION, hwnd());
}

void TimeAdjustDialog::Refuse(int id, const std::string& text) {
  ShowValidationMessage(text);
  HWND item = Item(id);
  ::SetFocus(item);
  ::SendMessageW(item, EM_SETSEL, 0, -1);
}

bool TimeAdjustDialog::ExchangeUnsigned(int id, std::uint32_t& value, std::uint32_t minimum,
                                        std::uint32_t maximum) {
  std::uint64_t parsed = 0;
  if (!ParseUnsigned(ItemText(id), parsed)) {
    Refuse(id, StringTable::Load(IDS_VALIDATE_UNSIGNED));
    return false;
  }
  if (parsed < minimum || parsed > maximum) {
    Refuse(id, StringTable::Format(IDS_VALIDATE_RANGE, {std::to_string(minimum), std::to_string(maximum)}));
    return false;
  }
  value = static_cast<std::uint32_t>(parsed);
  return true;
}

bool TimeAdjustDialog::UpdateData(bool fromControls) {
  if (!fromControls) {
    SetChecked(IDC_ADJUST_MESSAGE, adjustMessage);
    SetChecked(IDC_ADJUST_AT_START, adjustAtStart);
    SetItemText(IDC_ADJUST_SERVER, server);
    SetItemText(IDC_ADJUST_PORT, port);
    SetItemText(IDC_ADJUST_RETRY, std::to_string(retries));
    SetItemText(IDC_ADJUST_TIMEOUT, std::to_string(timeoutMs));
    return true;
  }
  adjustMessage = IsChecked(IDC_ADJUST_MESSAGE);
  adjustAtStart = IsChecked(IDC_ADJUST_AT_START);
  server = ItemText(IDC_ADJUST_SERVER);
  port = ItemText(IDC_ADJUST_PORT);
  if (!ExchangeUnsigned(IDC_ADJUST_RETRY, retries, 1, 10)) return false;
  return ExchangeUnsigned(IDC_ADJUST_TIMEOUT, timeoutMs, 500, 10000);
}

void TimeAdjustDialog::OnOK() {
  if (UpdateData(true)) Dialog::OnOK();
}

bool TimeAdjustDialog::OnCommand(WORD id, WORD code, HWND control) {
  if (id == IDC_ADJUST_AT_START && code == BN_CLICKED) {
    UpdateData(true);
    return true;
  }
  return Dialog::OnCommand(id, code, control);
}

bool ShowTimeAdjustDialog(TimeAdjustSettings& settings, TimeAdjustOptions& options) {
  TimeAdjustDialog dialog;
  dialog.adjustMessage = options.tellSuccess;
  dialog.adjustAtStart = options.atStart;
  dialog.server = settings.server;
  dialog.port = settings.port;
  dialog.timeoutMs = static_cast<std::uint32_t>(settings.timeoutMs);
  dialog.retries = static_cast<std::uint32_t>(settings.retries);
  if (dialog.DoModal() != IDOK) return false;
  options.atStart = dialog.adjustAtStart;
  options.tellSuccess = dialog.adjustMessage;
  settings.server = dialog.server;
  settings.port = dialog.port;
  settings.timeoutMs = static_cast<std::int32_t>(dialog.timeoutMs);
  settings.retries = static_cast<std::int32_t>(dialog.retries);
  return true;
}
