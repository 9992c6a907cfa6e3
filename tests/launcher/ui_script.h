// Drives modal windows of this thread from a thread timer: each step waits until a window it
// recognises is up, acts on it, and the next step begins. Steps run inside any modal loop
// (message boxes, our dialogs, the common file dialog) since thread timers fire in all of them.
#pragma once

#include <windows.h>

#include <deque>
#include <functional>
#include <string>
#include <vector>

class UiScript {
 public:
  using Step = std::function<bool(HWND)>;  // true when it acted on this window

  explicit UiScript(std::vector<Step> steps) : steps_(steps.begin(), steps.end()) {
    current_ = this;
    timer_ = ::SetTimer(nullptr, 0, 40, &UiScript::Tick);
  }
  ~UiScript() {
    ::KillTimer(nullptr, timer_);
    current_ = nullptr;
  }
  bool Done() const { return steps_.empty(); }

  // The title of a top-level window.
  static std::string Title(HWND w) {
    char text[256] = {};
    ::GetWindowTextA(w, text, sizeof text);
    return text;
  }
  static std::string Text(HWND dialog, int id) {
    char text[1024] = {};
    ::GetDlgItemTextA(dialog, id, text, sizeof text);
    return text;
  }
  static void Click(HWND dialog, int id) {
    ::PostMessageA(dialog, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), reinterpret_cast<LPARAM>(::GetDlgItem(dialog, id)));
  }
  // The shown dialog box of this thread that `owner` owns (a message box, say); none when there is none.
  static HWND ShownBoxOwnedBy(HWND owner) {
    struct Search {
      HWND owner, found;
    } search{owner, nullptr};
    ::EnumThreadWindows(
        ::GetCurrentThreadId(),
        [](HWND w, LPARAM out) -> BOOL {
          auto* s = reinterpret_cast<Search*>(out);
          char name[16] = {};
          ::GetClassNameA(w, name, sizeof name);
          if (std::string(name) == "#32770" && ::IsWindowVisible(w) && ::GetWindow(w, GW_OWNER) == s->owner)
            s->found = w;
          return TRUE;
        },
        reinterpret_cast<LPARAM>(&search));
    return search.found;
  }
  // A step acting on the first enabled dialog with this title.
  static Step OnDialog(const std::string& title, std::function<void(HWND)> act) {
    return [title, act](HWND w) {
      if (Title(w) != title || !::IsWindowEnabled(w)) return false;
      act(w);
      return true;
    };
  }
  // A step acting on the message box whose text contains `text`.
  static Step OnMessageBox(const std::string& text, int button, std::string* seen = nullptr) {
    return [text, button, seen](HWND w) {
      char cls[32] = {};
      ::GetClassNameA(w, cls, sizeof cls);
      if (std::string(cls) != "#32770" || !::IsWindowEnabled(w)) return false;
      bool found = false;
      for (HWND c = ::GetWindow(w, GW_CHILD); c; c = ::GetWindow(c, GW_HWNDNEXT)) {
        char t[512] = {};
        ::GetWindowTextA(c, t, sizeof t);
        if (std::string(t).find(text) != std::string::npos) {
          found = true;
          if (seen) *seen = t;
        }
      }
      if (!found) return false;
      ::PostMessageA(w, WM_COMMAND, MAKEWPARAM(button, BN_CLICKED), 0);
      return true;
    };
  }

 private:
  static BOOL CALLBACK Visit(HWND w, LPARAM) {
    if (!current_ || current_->steps_.empty() || !::IsWindowVisible(w)) return TRUE;
    if (current_->steps_.front()(w)) {
      current_->steps_.pop_front();
      return FALSE;
    }
    return TRUE;
  }
  static void CALLBACK Tick(HWND, UINT, UINT_PTR, DWORD) {
    if (current_ && !current_->steps_.empty()) ::EnumThreadWindows(::GetCurrentThreadId(), &UiScript::Visit, 0);
  }

  std::deque<Step> steps_;
  UINT_PTR timer_ = 0;
  static inline UiScript* current_ = nullptr;
};
