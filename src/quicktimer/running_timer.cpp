#include "quicktimer/running_timer.h"

#include <mmsystem.h>

#include <cstdio>
#include <vector>

#include "face/face_options.h"
#include "quicktimer/quick_timer_input.h"
#include "resource.h"
#include "storage/win32_file_access.h"
#include "win/module_path.h"
#include "win/string_table.h"
#include "win/user_alert.h"
#include "win/unique_handle.h"
#include "win/wide_text.h"

namespace {

// winmm is no DLL the system always knows: linked, it would be looked for beside the
// program first, also when the program runs as administrator. Loaded from the system folder.
BOOL PlaySoundFromSystem(const wchar_t* sound, DWORD flags) {
  using PlaySoundFn = BOOL(WINAPI*)(LPCWSTR, HMODULE, DWORD);
  static const auto play = [] {
    HMODULE winmm = ModulePath::LoadSystemLibrary(L"winmm.dll");
    return winmm ? reinterpret_cast<PlaySoundFn>(reinterpret_cast<void*>(::GetProcAddress(winmm, "PlaySoundW")))
                 : nullptr;
  }();
  return play != nullptr && play(sound, nullptr, flags);
}

}  // namespace

RunningTimer::RunningTimer(const TimerAction& settings, std::uint32_t start) : action(settings) {
  action.countdown.start = start;
  action.counterFace.countdown = action.countdown;
  SYSTEMTIME now;
  ::GetLocalTime(&now);
  char started[8];
  std::snprintf(started, sizeof started, "%02u:%02u", now.wHour % 100u, now.wMinute % 100u);
  // As the dialog shows the minutes; a QuickTimer of a few seconds with its second decimal.
  std::string minutes = QuickTimerInput::MinutesText(action.countdown.duration);
  if (action.countdown.duration % 60000 != 0 && action.countdown.duration < 3000) {
    char precise[16];
    std::snprintf(precise, sizeof precise, "%.2f", action.countdown.duration / 60000.0);
    minutes = precise;
  }
  description_ = StringTable::Format(IDS_QT_ENDED, {minutes, started});
}

RunningTimer::~RunningTimer() { End(); }

bool RunningTimer::Step() { return Step(::GetTickCount()); }

bool RunningTimer::Step(std::uint32_t now) {
  const bool alive = action.Step(now, *this);
  if (!expired_ && action.countdown.IsExpired(now)) {
    expired_ = true;
    news_.timeUp = true;
  }
  return alive;
}

bool RunningTimer::InHandler() const {
  for (const auto& window : windows_) {
    if (window && window->InHandler()) return true;
  }
  return false;
}

ClockFace& RunningTimer::FaceOf(WindowKind kind) {
  return kind == kCounter ? static_cast<ClockFace&>(action.counterFace) : action.messageFace;
}

bool RunningTimer::HasWindow(WindowKind kind) { return windowHandle(kind) != nullptr; }

bool RunningTimer::IsWindowShown(WindowKind kind) {
  HWND window = windowHandle(kind);
  return window != nullptr && ::IsWindowVisible(window);
}

void RunningTimer::OpenWindow(WindowKind kind) {
  std::unique_ptr<CounterWindow>& window = windows_[kind];
  if (window && window->hwnd() == nullptr) {
    // Its window went behind this record's back. A handler of the old object
    // may still be returning: a new window waits for the next tick then.
    if (window->InHandler()) return;
    window.reset();
  }
  const bool fresh = !window;
  if (fresh) {
    window = std::make_unique<CounterWindow>();
    // The message window is a window of its own in the taskbar: the clock's process is rarely
    // the one in front, and the system keeps a background process from taking the foreground.
    if (kind == kMessage) window->ShowInTaskbar(StringTable::Load(IDS_QT_TIME_UP_TITLE));
  }
  if (!window->ShowFace(&FaceOf(kind))) {
    window.reset();
    return;
  }
  if (fresh && kind == kMessage) window->FlashTaskbarButton();
}

void RunningTimer::RefreshCounter() {
  action.counterFace.countdown = action.countdown;
  if (HasWindow(kCounter)) windows_[kCounter]->ShowFace(&action.counterFace);
}

void RunningTimer::FlashWindow(WindowKind kind) {
  if (!HasWindow(kind)) return;
  // The blink lives here and in the window's drawing, never in the face's option word, which
  // is stored. With animations turned off in the system it stays steady: inverted.
  blink_[kind] = UserAlert::Current().ClientAreaAnimation() ? !blink_[kind] : true;
  windows_[kind]->SetBlink(blink_[kind]);
  windows_[kind]->ShowFace(&FaceOf(kind));
  windows_[kind]->ShowOkButton();
}

void RunningTimer::CloseWindow(WindowKind kind) {
  std::unique_ptr<CounterWindow>& window = windows_[kind];
  if (!window) return;
  window->Close();  // its rectangle goes into the face
  // An object whose handler still runs (a menu or dialog of the window) is
  // deleted at the next opening or with this record, once that has returned.
  if (!window->InHandler()) window.reset();
}

void RunningTimer::StartSound(const std::string& wave) {
  PlaySoundFromSystem(WideText::From(wave).c_str(), SND_FILENAME | SND_LOOP | SND_ASYNC);
}

void RunningTimer::StopSound() { PlaySoundFromSystem(nullptr, SND_LOOP | SND_ASYNC); }

bool RunningTimer::StartApplication(const std::string& app, const std::string& param) {
  if (ExecuteApplication(app, param)) return true;
  const std::string reason = Win32FileAccess::ErrorFor(::GetLastError()).message;
  news_.failure = StringTable::Format(IDS_QT_PROGRAM_FAILED, {app, reason});
  return false;
}

bool RunningTimer::ExecuteApplication(const std::string& app, const std::string& param, DWORD idleWaitMs) {
  STARTUPINFOW startup{};
  startup.cb = sizeof(startup);
  startup.dwFlags = STARTF_USESHOWWINDOW;
  startup.wShowWindow = SW_SHOWNORMAL;
  PROCESS_INFORMATION process{};
  // The command line is the stored text as it is; CreateProcessW may write into it.
  std::wstring commandLine = WideText::From(param);
  if (!::CreateProcessW(WideText::From(app).c_str(), commandLine.data(), nullptr, nullptr, FALSE, NORMAL_PRIORITY_CLASS, nullptr,
                        nullptr, &startup, &process)) {
    return false;
  }
  KernelHandle child(process.hProcess);
  KernelHandle thread(process.hThread);  // closed first
  // A program that never gets ready for input must not hold the clock and every timer for good.
  ::WaitForInputIdle(child.get(), idleWaitMs);
  return true;
}
