#include "quicktimer/quick_timer_dialog.h"

#include <commdlg.h>

#include <cstdio>
#include <string>
#include <utility>

#include "face/display_settings_dialog.h"
#include "quicktimer/quick_timer_input.h"
#include "resource.h"
#include "storage/ini_profile_store.h"
#include "storage/settings_save_message.h"
#include "win/message_box.h"
#include "win/string_table.h"
#include "win/wide_text.h"

namespace {

constexpr std::size_t kPathRoom = 32768;
constexpr const wchar_t* kTimeChoices[] = {L"3", L"5", L"10", L"15", L"20", L"30", L"45", L"60", L"90", L"120"};

// Without a keeper (the dialog on its own) the faces are written here, at once.
bool WriteFacesAtOnce(const TimerAction& faces, HWND askedBy) {
  TimerAction copy = faces;
  const IniProfileStore::SaveOutcome outcome = copy.SaveFaces();
  SettingsSaveMessage::Process().ShowOnce(outcome, askedBy);
  return outcome.ok();
}

}  // namespace

QuickTimerDialog::QuickTimerDialog(FacesKeeper keeper)
    : Dialog(IDD_QUICKTIMER), facesKeeper_(keeper ? std::move(keeper) : FacesKeeper(WriteFacesAtOnce)) {
  settings_.Load();
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
    for (const wchar_t* choice : kTimeChoices)
      ::SendDlgItemMessageW(hwnd(), combo, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(choice));
  }
  // The typed text is held to the lengths that "Start" accepts.
  ::SendDlgItemMessageW(hwnd(), IDC_QT_MINUTES, CB_LIMITTEXT, QuickTimerInput::kMinutesMaxChars, 0);
  ::SendDlgItemMessageW(hwnd(), IDC_QT_SECONDS, CB_LIMITTEXT, QuickTimerInput::kSecondsMaxChars, 0);
  PutControls();
  ApplyEnablingRule();
  SetItemText(IDC_QT_MINUTES, minutesText_);
  SetItemText(IDC_QT_SECONDS, secondsText_);
  return TRUE;
}

void QuickTimerDialog::PutControls() {
  SetItemText(IDC_QT_MINUTES, minutesText_);
  SetItemText(IDC_QT_SECONDS, secondsText_);
  SetChecked(IDC_QT_COUNTER, counter_);
  SetChecked(IDC_QT_MESSAGE, message_);
  SetChecked(IDC_QT_SOUND, sound_);
  SetChecked(IDC_QT_EXECUTE, execute_);
  SetItemText(IDC_QT_WAVE, settings_.wave);
  SetItemText(IDC_QT_APP, settings_.app);
  SetItemText(IDC_QT_PARAM, settings_.param);
}

bool QuickTimerDialog::TakeControls() {
  minutesText_ = ItemText(IDC_QT_MINUTES);
  secondsText_ = ItemText(IDC_QT_SECONDS);
  counter_ = IsChecked(IDC_QT_COUNTER);
  message_ = IsChecked(IDC_QT_MESSAGE);
  sound_ = IsChecked(IDC_QT_SOUND);
  execute_ = IsChecked(IDC_QT_EXECUTE);
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
  for (const auto& rule : rules) EnableItem(rule.id, rule.enabled);
}

void QuickTimerDialog::Browse(int editId, std::string& path, const wchar_t* extension, const wchar_t* filter) {
  path = ItemText(editId);
  // Room for a long path; a typed path longer than that starts the dialog empty.
  std::wstring file = WideText::From(path);
  if (file.size() >= kPathRoom) file.clear();
  file.resize(kPathRoom, L'\0');
  OPENFILENAMEW ofn{};
  ofn.lStructSize = sizeof(ofn);
  ofn.hwndOwner = hwnd();
  ofn.lpstrFilter = filter;
  ofn.lpstrFile = file.data();
  ofn.nMaxFile = static_cast<DWORD>(file.size());
  ofn.lpstrDefExt = extension;
  ofn.Flags = OFN_HIDEREADONLY | OFN_OVERWRITEPROMPT | OFN_EXPLORER | OFN_ENABLESIZING;
  if (!::GetOpenFileNameW(&ofn)) return;
  path = WideText::ToUtf8(file.c_str());
  SetItemText(editId, path);
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
  return facesKeeper_(settings_, hwnd());
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
      counter_ = IsChecked(IDC_QT_COUNTER);
      message_ = IsChecked(IDC_QT_MESSAGE);
      sound_ = IsChecked(IDC_QT_SOUND);
      execute_ = IsChecked(IDC_QT_EXECUTE);
      ApplyEnablingRule();
      return true;
    case IDC_QT_WAVE_BROWSE:
      if (code == BN_CLICKED) Browse(IDC_QT_WAVE, settings_.wave, L"wav", L"WaveFile (*.wav)\0*.wav\0\0");
      return true;
    case IDC_QT_APP_BROWSE:
      if (code == BN_CLICKED) Browse(IDC_QT_APP, settings_.app, L"exe", L"ExeFile (*.exe)\0*.exe\0\0");
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
