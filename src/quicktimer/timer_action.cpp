#include "quicktimer/timer_action.h"

#include <mmsystem.h>

#include <vector>

#include "quicktimer/counter_window.h"
#include "resource.h"
#include "win/unique_handle.h"

TimerAction::TimerAction() : counterFace(IDS_COUNTER_FORMAT), messageFace(IDS_MESSAGE_FORMAT) {
  messageFace.textColour = 0x000000FF;
  counterFace.countdown = &countdown;
}

TimerAction::TimerAction(const TimerAction& other) : TimerActionState(other), ActionHost() {
  counterFace.CopySettingsFrom(other.counterFace);
  messageFace.CopySettingsFrom(other.messageFace);
  counterFace.countdown = &countdown;
}

TimerAction::~TimerAction() {
  End(*this);
  TransferProfile(true, false);
}

bool TimerAction::Step() { return Step(::GetTickCount()); }

CounterWindow* TimerAction::Live(WindowKind kind) {
  OwnedWindow& w = windows_[kind];
  if (w.object != nullptr && w.handle != nullptr && !::IsWindow(w.handle)) w = OwnedWindow{};
  return w.object;
}

bool TimerAction::HasWindow(WindowKind kind) { return Live(kind) != nullptr; }

bool TimerAction::IsWindowShown(WindowKind kind) {
  return Live(kind) != nullptr && windows_[kind].handle != nullptr && ::IsWindowVisible(windows_[kind].handle);
}

void TimerAction::OpenWindow(WindowKind kind) {
  OwnedWindow& w = windows_[kind];
  if (Live(kind) == nullptr) w.object = new CounterWindow;
  if (!w.object->ShowFace(&FaceOf(kind))) {
    // Never created: there is no window whose end would delete the object.
    if (w.object->hwnd() == nullptr) delete w.object;
    w = OwnedWindow{};
    return;
  }
  w.handle = w.object->hwnd();
}

void TimerAction::RefreshCounter() {
  counterFace.countdown = &countdown;
  if (CounterWindow* window = Live(kCounter)) window->ShowFace(&counterFace);
}

void TimerAction::FlashWindow(WindowKind kind) {
  CounterWindow* window = Live(kind);
  if (window == nullptr) return;
  FaceOf(kind).option ^= OptInverted;
  window->ShowFace(&FaceOf(kind));
  window->ShowOkButton();
}

void TimerAction::CloseWindow(WindowKind kind) {
  OwnedWindow& w = windows_[kind];
  if (Live(kind) != nullptr) {
    // Destroying the window stores its rectangle in the face and deletes the object.
    if (w.handle != nullptr) ::DestroyWindow(w.handle);
    else delete w.object;
  }
  w = OwnedWindow{};
}

void TimerAction::StartSound(const std::string& wave) {
  ::PlaySoundA(wave.c_str(), nullptr, SND_FILENAME | SND_LOOP | SND_ASYNC);
}

void TimerAction::StopSound() { ::PlaySoundA(nullptr, nullptr, SND_LOOP | SND_ASYNC); }

bool TimerAction::StartApplication(const std::string& app, const std::string& param) {
  return ExecuteApplication(app, param);
}

bool TimerAction::ExecuteApplication(const std::string& app, const std::string& param, DWORD idleWaitMs) {
  STARTUPINFOA startup{};
  startup.cb = sizeof(startup);
  startup.dwFlags = STARTF_USESHOWWINDOW;
  startup.wShowWindow = SW_SHOWNORMAL;
  PROCESS_INFORMATION process{};
  // The command line is the stored text as it is; CreateProcessA may write into it.
  std::vector<char> commandLine(param.begin(), param.end());
  commandLine.push_back('\0');
  if (!::CreateProcessA(app.c_str(), commandLine.data(), nullptr, nullptr, FALSE, NORMAL_PRIORITY_CLASS, nullptr,
                        nullptr, &startup, &process)) {
    return false;
  }
  KernelHandle child(process.hProcess);
  KernelHandle thread(process.hThread);  // closed first
  // A program that never gets ready for input must not hold the clock and every timer for good.
  ::WaitForInputIdle(child.get(), idleWaitMs);
  return true;
}
