#include "quicktimer/quick_timer_dialog.h"

#include <commdlg.h>

#include <cstdio>
#include <vector>

#include "face/display_settings_dialog.h"
#include "quicktimer/quick_timer_input.h"
#include "resource.h"
#include "storage/ini_profile_store.h"
#include "win/message_box.h"
#include "win/string_table.h"

namespace {

constexpr const char* kTimeChoices[] = {"3", "5", "10", "15", "20", "30", "45", "60", "90", "120"};

void SetCheck(HWND dialog, int id, bool on) { ::CheckDlgButton(dialog, id, on ? BST_CHECKED : BST_UNCHECKED); }
bool GetCheck(HWND dialog, int id) { return ::IsDlgButtonChecked(dialog, id) == BST_CHECKED; }

}  // namespace

QuickTimerDialog::QuickTimerDialog() : Dialog(IDD_QUICKTIMER) { settings_.Load(); }

std::string QuickTimerDialog::ItemText(int id) const {
  HWND item = Item(id);
  const int length = item != nullptr ? ::GetWindowTextLengthA(item) : 0;
  std::vector<char> text(static_cast<std::size_t>(length) + 1, '\0');
  if (item != nullptr) ::GetWindowTextA(item, text.data(), length + 1);
  return text.data();
}

BOOL QuickTimerDialog::OnInitDialog() {
  Dialog::OnInitDialog();
  minutesText_ = QuickTimerInput::MinutesText(settings_.countdown.duration);
  secondsText_ = QuickTimerInput::SecondsText(settings_.soundTime.duration);
  counter_ = (settings_.flags & TimerActionState::kCounterWindow) != 0;
  message_ = (settings_.flags & TimerActionState::kMessageWindow) != 0;
  sound_ = (settings_.flags & TimerActionState::kPlaySound) != 0;
  execute_ = (settings_.flags & TimerActionState::kExecuteApplication) != 0;
  for (const int combo : {IDC_QT_MINUTES, IDC_QT_SECONDS}) {
    for (const char* choice : kTimeChoices)
      ::SendDlgItemMessageA(hwnd(), combo, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(choice));
  }
  // The typed text is held to the lengths that "Start" accepts.
  ::SendDlgItemMessageA(hwnd(), IDC_QT_MINUTES, CB_LIMITTEXT, QuickTimerInput::kMinutesMaxChars, 0);
  ::SendDlgItemMessageA(hwnd(), IDC_QT_SECONDS, CB_LIMITTEXT, QuickTimerInput::kSecondsMaxChars, 0);
  PutControls();
  ApplyEnablingRule();
  ::SetDlgItemTextA(hwnd(), IDC_QT_MINUTES, minutesText_.c_str());
  ::SetDlgItemTextA(hwnd(), IDC_QT_SECONDS, secondsText_.c_str());
  return TRUE;
}

void QuickTimerDialog::PutControls() {
  ::SetDlgItemTextA(hwnd(), IDC_QT_MINUTES, minutesText_.c_str());
  ::SetDlgItemTextA(hwnd(), IDC_QT_SECONDS, secondsText_.c_str());
  SetCheck(hwnd(), IDC_QT_COUNTER, counter_);
  SetCheck(hwnd(), IDC_QT_MESSAGE, message_);
  SetCheck(hwnd(), IDC_QT_SOUND, sound_);
  SetCheck(hwnd(), IDC_QT_EXECUTE, execute_);
  ::SetDlgItemTextA(hwnd(), IDC_QT_WAVE, settings_.wave.c_str());
  ::SetDlgItemTextA(hwnd(), IDC_QT_APP, settings_.app.c_str());
  ::SetDlgItemTextA(hwnd(), IDC_QT_PARAM, settings_.param.c_str());
}

bool QuickTimerDialog::TakeControls() {
  minutesText_ = ItemText(IDC_QT_MINUTES);
  secondsText_ = ItemText(IDC_QT_SECONDS);
  counter_ = GetCheck(hwnd(), IDC_QT_COUNTER);
  message_ = GetCheck(hwnd(), IDC_QT_MESSAGE);
  sound_ = GetCheck(hwnd(), IDC_QT_SOUND);
  execute_ = GetCheck(hwnd(), IDC_QT_EXECUTE);
  settings_.wave = ItemText(IDC_QT_WAVE);
  settings_.app = ItemText(IDC_QT_APP);
  settings_.param = ItemText(IDC_QT_PARAM);
  const struct {
    int id;
    const std::string& text;
    std::size_t limit;
  } limited[] = {{IDC_QT_MINUTES, minutesText_, QuickTimerInput::kMinutesMaxChars},
                 {IDC_QT_SECONDS, secondsText_, QuickTimerInput::kSecondsMaxChars}};
  for (const auto& field : limited) {
    if (field.text.size() <= field.limit) continue;
    char message[256];
    std::snprintf(message, sizeof message, StringTable::Load(IDS_QT_MAX_CHARS).c_str(), static_cast<int>(field.limit));
    MessageBoxes::Show(message, MB_OK | MB_ICONEXCLAMATION, hwnd());
    ::SetFocus(Item(field.id));
    return false;
  }
  return true;
}

void QuickTimerDialog::ApplyEnablingRule() {
  const struct {
    int id;
    bool enabled;
  } rules[] = {
      {IDC_QT_COUNTER_SETTING, counter_}, {IDC_QT_MESSAGE_SETTING, message_},
      {IDC_QT_APP_LABEL, execute_},       {IDC_QT_APP, execute_},
      {IDC_QT_APP_BROWSE, execute_},      {IDC_QT_PARAM_LABEL, execute_},
      {IDC_QT_PARAM, execute_},           {IDC_QT_WAVE_LABEL, sound_},
      {IDC_QT_WAVE, sound_},              {IDC_QT_WAVE_BROWSE, sound_},
      {IDC_QT_SECONDS, sound_},           {IDC_QT_SECONDS_LABEL, sound_},
      {IDOK, counter_ || message_ || sound_ || execute_},
  };
  for (const auto& rule : rules) ::EnableWindow(Item(rule.id), rule.enabled ? TRUE : FALSE);
}

void QuickTimerDialog::Browse(int editId, std::string& path, const char* extension, const char* filter) {
  path = ItemText(editId);
  char file[MAX_PATH] = {};
  path.copy(file, sizeof file - 1);
  OPENFILENAMEA ofn{};
  ofn.lStructSize = sizeof(ofn);
  ofn.hwndOwner = hwnd();
  ofn.lpstrFilter = filter;
  ofn.lpstrFile = file;
  ofn.nMaxFile = sizeof file;
  ofn.lpstrDefExt = extension;
  ofn.Flags = OFN_HIDEREADONLY | OFN_OVERWRITEPROMPT | OFN_EXPLORER | OFN_ENABLESIZING;
  if (!::GetOpenFileNameA(&ofn)) return;
  path = file;
  ::SetDlgItemTextA(hwnd(), editId, path.c_str());
}

bool QuickTimerDialog::EditFace(ClockFace& face) {
  DisplaySettingsDialog dialog(face);
  return dialog.EditFace(face, hwnd());
}

bool QuickTimerDialog::SaveFaces() {
  TimerAction stored;
  {
    IniProfileStore file;
    stored.TransferFaces(file, Transfer::Load);
  }
  if (counterFaceEdited_) stored.counterFace.CopyLookFrom(settings_.counterFace);
  if (messageFaceEdited_) stored.messageFace.CopyLookFrom(settings_.messageFace);
  settings_.counterFace.CopySettingsFrom(stored.counterFace);
  settings_.messageFace.CopySettingsFrom(stored.messageFace);
  if (!counterFaceEdited_ && !messageFaceEdited_) return true;
  return settings_.SaveFaces();
}

void QuickTimerDialog::OnOK() {
  if (!TakeControls()) return;
  const auto duration = QuickTimerInput::ParseMinutes(minutesText_);
  const auto playTime = QuickTimerInput::ParseSeconds(secondsText_);
  if (!duration || !playTime) {
    MessageBoxes::ShowString(IDS_INPUT_ERROR, MB_OK | MB_ICONINFORMATION, hwnd());
    return;
  }
  settings_.countdown.duration = *duration;
  settings_.soundTime.duration = *playTime;
  const struct {
    bool on;
    std::uint32_t bit;
  } checks[] = {{counter_, TimerActionState::kCounterWindow},
                {message_, TimerActionState::kMessageWindow},
                {sound_, TimerActionState::kPlaySound},
                {execute_, TimerActionState::kExecuteApplication}};
  for (const auto& check : checks) {
    if (check.on) settings_.flags |= check.bit;
    else settings_.flags &= ~check.bit;
  }
  settings_.SaveChoices();
  SaveFaces();
  Dialog::OnOK();
}

void QuickTimerDialog::OnCancel() {
  SaveFaces();
  Dialog::OnCancel();
}

bool QuickTimerDialog::OnCommand(WORD id, WORD code, HWND control) {
  switch (id) {
    case IDC_QT_COUNTER:
    case IDC_QT_MESSAGE:
    case IDC_QT_SOUND:
    case IDC_QT_EXECUTE:
      if (code != BN_CLICKED) return false;
      counter_ = GetCheck(hwnd(), IDC_QT_COUNTER);
      message_ = GetCheck(hwnd(), IDC_QT_MESSAGE);
      sound_ = GetCheck(hwnd(), IDC_QT_SOUND);
      execute_ = GetCheck(hwnd(), IDC_QT_EXECUTE);
      ApplyEnablingRule();
      return true;
    case IDC_QT_WAVE_BROWSE:
      if (code == BN_CLICKED) Browse(IDC_QT_WAVE, settings_.wave, "wav", "WaveFile (*.wav)\0*.wav\0\0");
      return true;
    case IDC_QT_APP_BROWSE:
      if (code == BN_CLICKED) Browse(IDC_QT_APP, settings_.app, "exe", "ExeFile (*.exe)\0*.exe\0\0");
      return true;
    case IDC_QT_COUNTER_SETTING:
      if (code == BN_CLICKED && EditFace(settings_.counterFace)) counterFaceEdited_ = true;
      return true;
    case IDC_QT_MESSAGE_SETTING:
      if (code == BN_CLICKED && EditFace(settings_.messageFace)) messageFaceEdited_ = true;
      return true;
    default:
      return Dialog::OnCommand(id, code, control);
  }
}
