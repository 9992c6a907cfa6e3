#include "win/modal_windows.h"

#include <algorithm>
#include <string_view>

#include "win/window.h"

namespace {

bool IsDialogClass(HWND window) {
  wchar_t name[16] = {};
  ::GetClassNameW(window, name, 16);
  return std::wstring_view(name) == L"#32770";
}

// A visible, enabled dialog of this thread owned by `owner` that no window object of the
// program runs modeless (the launcher, a counter window): a message box or a system dialog.
HWND ForeignDialogOwnedBy(HWND owner) {
  struct Search {
    HWND owner;
    HWND found;
  } search{owner, nullptr};
  ::EnumThreadWindows(
      ::GetCurrentThreadId(),
      [](HWND w, LPARAM data) -> BOOL {
        auto* s = reinterpret_cast<Search*>(data);
        if (::GetWindow(w, GW_OWNER) != s->owner || !::IsWindowVisible(w) || !::IsWindowEnabled(w)) return TRUE;
        if (Window::FromHandle(w) != nullptr || !IsDialogClass(w)) return TRUE;
        s->found = w;
        return FALSE;
      },
      reinterpret_cast<LPARAM>(&search));
  return search.found;
}

}  // namespace

std::vector<ModalWindows::Scope*>& ModalWindows::Scopes() {
  static std::vector<Scope*> scopes;
  return scopes;
}

ModalWindows::Scope::Scope(HWND window) : window_(window) { Scopes().push_back(this); }

ModalWindows::Scope::~Scope() {
  auto& scopes = Scopes();
  scopes.erase(std::remove(scopes.begin(), scopes.end(), this), scopes.end());
}

bool ModalWindows::Open() {
  const HWND main = Window::MainWindow();
  const bool registered = std::any_of(Scopes().begin(), Scopes().end(), [main](const Scope* s) {
    return s->window() == nullptr || (s->window() != main && ::IsWindow(s->window()));
  });
  // Also a message box the main window owns that was opened without a scope.
  return registered || (main != nullptr && ForeignDialogOwnedBy(main) != nullptr);
}

HWND ModalWindows::Front() {
  if (!Open()) return nullptr;
  HWND base = Window::MainWindow();
  for (auto it = Scopes().rbegin(); it != Scopes().rend(); ++it) {
    if ((*it)->window() != nullptr && ::IsWindow((*it)->window())) {
      base = (*it)->window();
      break;
    }
  }
  // A message box or a system dialog opened over it is the one waiting for the user.
  for (int depth = 0; depth < 8 && base != nullptr; ++depth) {
    HWND over = ForeignDialogOwnedBy(base);
    if (over == nullptr) break;
    base = over;
  }
  return base;
}

bool ModalWindows::BringForward() {
  HWND front = Front();
  if (front == nullptr) return false;
  if (::IsIconic(front)) ::ShowWindow(front, SW_RESTORE);
  ::SetForegroundWindow(front);
  return true;
}
