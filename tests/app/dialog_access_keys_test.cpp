// Every dialog reached from the keyboard: each field that takes input has a label with an access
// key (Alt+letter), and no two controls of one dialog share a key, so each key reaches one control.
#include <windows.h>
#include <commctrl.h>

#include <gtest/gtest.h>

#include <map>
#include <set>
#include <string>

#include "resource.h"
#include "win/wide_text.h"

namespace {

INT_PTR CALLBACK Inert(HWND, UINT message, WPARAM, LPARAM) { return message == WM_INITDIALOG; }

// The access key of a control's text ("&x"; "&&" is a plain "&"), upper case; 0 when none.
wchar_t KeyOf(const std::wstring& text) {
  for (std::size_t i = 0; i + 1 < text.size(); ++i) {
    if (text[i] != L'&') continue;
    if (text[i + 1] != L'&') return static_cast<wchar_t>(::towupper(text[i + 1]));
    ++i;
  }
  return 0;
}

std::wstring ClassOf(HWND w) {
  wchar_t name[64] = {};
  ::GetClassNameW(w, name, 64);
  return name;
}

std::wstring TextOf(HWND w) {
  wchar_t text[512] = {};
  ::GetWindowTextW(w, text, 512);
  return text;
}

// The English templates (the Japanese ones are still without their "(&X)" keys).
TEST(DialogAccessKeys, EveryFieldHasALabelWithAKeyAndNoKeyIsTakenTwice) {
  const LANGID language = ::GetThreadUILanguage();
  ::SetThreadUILanguage(MAKELANGID(LANG_ENGLISH, SUBLANG_ENGLISH_US));
  INITCOMMONCONTROLSEX controls{sizeof(controls), ICC_WIN95_CLASSES | ICC_STANDARD_CLASSES | ICC_TAB_CLASSES};
  ::InitCommonControlsEx(&controls);
  const struct {
    UINT id;
    const char* name;
    std::set<int> unlabelled;  // fields whose dialog says what they are otherwise
  } dialogs[] = {
      {IDD_DISPLAY_SETTINGS, "display settings", {IDC_FORMAT, IDC_TOKENS}},  // under the preview; "Add" beside
      {IDD_QUICKTIMER, "QuickTimer", {IDC_QT_SECONDS}},  // "seconds" after it, under the sound's path
      {IDD_TIME_ADJUST, "time adjustment", {}},
      {IDD_LAUNCHER, "launcher", {}},
      {IDD_LAUNCHER_ADD, "launcher add", {}},
      {IDD_LAUNCHER_ADD_ENCODE, "launcher add and encode", {}},
      {IDD_KEY_INPUT, "key input", {IDC_ENCODING_KEY}},  // the dialog's one field, named by its title
  };
  for (const auto& d : dialogs) {
    HWND dialog = ::CreateDialogParamW(::GetModuleHandleW(nullptr), MAKEINTRESOURCEW(d.id), nullptr, Inert, 0);
    ASSERT_NE(dialog, nullptr) << d.name;
    std::map<wchar_t, std::wstring> keys;
    HWND previous = nullptr;
    for (HWND c = ::GetWindow(dialog, GW_CHILD); c; c = ::GetWindow(c, GW_HWNDNEXT)) {
      const std::wstring text = TextOf(c);
      const std::wstring cls = ClassOf(c);
      const bool field = _wcsicmp(cls.c_str(), L"Edit") == 0 || _wcsicmp(cls.c_str(), L"ComboBox") == 0;
      if (const wchar_t key = KeyOf(text); key != 0 && !field) {
        EXPECT_EQ(keys.count(key), 0u) << d.name << ": '" << static_cast<char>(key) << "' for "
                                       << WideText::ToUtf8(keys[key]) << " and " << WideText::ToUtf8(text);
        keys[key] = text;
      }
      if (field && d.unlabelled.count(::GetDlgCtrlID(c)) == 0) {
        const bool labelled = previous != nullptr && _wcsicmp(ClassOf(previous).c_str(), L"Static") == 0 &&
                              KeyOf(TextOf(previous)) != 0;
        EXPECT_TRUE(labelled) << d.name << ": field " << ::GetDlgCtrlID(c) << " has no label with an access key";
      }
      previous = c;
    }
    ::DestroyWindow(dialog);
  }
  ::SetThreadUILanguage(language);
}

}  // namespace
