#include "win/session_notification.h"

#include "win/module_path.h"

namespace {

using RegisterFn = BOOL(WINAPI*)(HWND, DWORD);
using UnregisterFn = BOOL(WINAPI*)(HWND);

struct Functions {
  RegisterFn registerFn = nullptr;
  UnregisterFn unregisterFn = nullptr;
};

const Functions& Lookup() {
  static const Functions functions = [] {
    Functions f;
    // It stays loaded for the life of the process.
    if (HMODULE module = ModulePath::LoadSystemLibrary(L"wtsapi32.dll")) {
      f.registerFn = reinterpret_cast<RegisterFn>(
          reinterpret_cast<void*>(::GetProcAddress(module, "WTSRegisterSessionNotification")));
      f.unregisterFn = reinterpret_cast<UnregisterFn>(
          reinterpret_cast<void*>(::GetProcAddress(module, "WTSUnRegisterSessionNotification")));
      if (f.registerFn == nullptr || f.unregisterFn == nullptr) f = Functions{};
    }
    return f;
  }();
  return functions;
}

}  // namespace

bool SessionNotification::Register(HWND window) {
  Unregister();
  constexpr DWORD kThisSession = 0;  // NOTIFY_FOR_THIS_SESSION
  const Functions& f = Lookup();
  if (f.registerFn == nullptr || window == nullptr || !f.registerFn(window, kThisSession)) return false;
  window_ = window;
  return true;
}

void SessionNotification::Unregister() {
  if (window_ == nullptr) return;
  Lookup().unregisterFn(window_);
  window_ = nullptr;
}
