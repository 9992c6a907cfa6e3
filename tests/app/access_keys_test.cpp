// Every menu and every dialog of this program reached from the keyboard, in both languages, as
// their templates are in the program's own resources: each menu item and each button has an
// access key ("&x"; Japanese texts in the "(&X)" form of Japanese Windows), each field a label
// with one, and no two items of one popup or one dialog share a key, so each key reaches one item.
// The owner-drawn menu answers a typed key (WM_MENUCHAR) with the item that has it.
#include <windows.h>
#include <commctrl.h>

#include <gtest/gtest.h>

#include <cwctype>
#include <map>
#include <set>
#include <string>
#include <vector>

#include "app/icon_menu.h"
#include "resource.h"
#include "win/wide_text.h"

namespace {

const LPCWSTR kMenu = MAKEINTRESOURCEW(4);    // RT_MENU
const LPCWSTR kDialog = MAKEINTRESOURCEW(5);  // RT_DIALOG

struct Language {
  const char* name;
  LANGID id;
  bool japanese;
};
const Language kLanguages[] = {{"English", MAKELANGID(LANG_ENGLISH, SUBLANG_ENGLISH_US), false},
                               {"Japanese", MAKELANGID(LANG_JAPANESE, SUBLANG_DEFAULT), true}};

// Fields whose dialog says what they are otherwise.
const std::set<int> kUnlabelledFields = {
    IDC_FORMAT, IDC_TOKENS,  // under the preview, "Add" beside them
    IDC_QT_SECONDS,          // "seconds" after it, under the sound's path
    IDC_ENCODING_KEY,        // the dialog's one field, named by its title
};

// The ids of the templates of `type` this program holds in `language`.
std::vector<UINT> TemplatesOf(LPCWSTR type, LANGID language) {
  struct Walk {
    LANGID language;
    std::vector<UINT> ids;
  } walk{language, {}};
  ::EnumResourceNamesW(
      ::GetModuleHandleW(nullptr), type,
      [](HMODULE module, LPCWSTR type, LPWSTR name, LONG_PTR param) -> BOOL {
        if (!IS_INTRESOURCE(name)) return TRUE;
        ::EnumResourceLanguagesW(
            module, type, name,
            [](HMODULE, LPCWSTR, LPCWSTR name, WORD language, LONG_PTR param) -> BOOL {
              auto* walk = reinterpret_cast<Walk*>(param);
              if (language == walk->language) walk->ids.push_back(static_cast<UINT>(reinterpret_cast<ULONG_PTR>(name)));
              return TRUE;
            },
            param);
        return TRUE;
      },
      reinterpret_cast<LONG_PTR>(&walk));
  return walk.ids;
}

const void* TemplateOf(LPCWSTR type, UINT id, LANGID language) {
  HMODULE module = ::GetModuleHandleW(nullptr);
  HRSRC found = ::FindResourceExW(module, type, MAKEINTRESOURCEW(id), language);
  return found != nullptr ? ::LockResource(::LoadResource(module, found)) : nullptr;
}

struct AccessKey {
  wchar_t key = 0;  // upper case; 0 when the text has no "&x" ("&&" is a plain "&")
  std::size_t at = 0;
};

AccessKey KeyOf(const std::wstring& text) {
  for (std::size_t i = 0; i + 1 < text.size(); ++i) {
    if (text[i] != L'&') continue;
    if (text[i + 1] != L'&') return AccessKey{static_cast<wchar_t>(std::towupper(text[i + 1])), i};
    ++i;
  }
  return AccessKey{};
}

// The Japanese form: a Latin letter or digit in parentheses after the words, before nothing but
// "...", " :" and blanks.
bool InJapaneseForm(const std::wstring& text, const AccessKey& key) {
  if (key.key == 0 || key.at == 0 || text[key.at - 1] != L'(' || key.at + 2 >= text.size()) return false;
  if (!((key.key >= L'A' && key.key <= L'Z') || (key.key >= L'0' && key.key <= L'9'))) return false;
  if (text[key.at + 2] != L')') return false;
  return text.find_first_not_of(L". :", key.at + 3) == std::wstring::npos;
}

// Words, not marks only ("..." browses): kana, kanji or a Latin letter.
bool HasWords(const std::wstring& text) {
  for (wchar_t c : text)
    if (std::iswalpha(c) || c >= 0x3000) return true;
  return false;
}

std::string Utf8(const std::wstring& text) { return WideText::ToUtf8(text); }

std::wstring ItemText(HMENU menu, int position) {
  wchar_t text[128] = {};
  ::GetMenuStringW(menu, static_cast<UINT>(position), text, 128, MF_BYPOSITION);
  return text;
}

// Each popup level of `menu` (the popups of a menu template's bar, and theirs): every item with
// text has a key of its own.
void ExpectKeysOnEveryItem(HMENU popup, const std::string& where, bool japanese) {
  std::map<wchar_t, std::wstring> keys;
  for (int position = 0; position < ::GetMenuItemCount(popup); ++position) {
    const std::wstring text = ItemText(popup, position);
    if (HMENU sub = ::GetSubMenu(popup, position)) ExpectKeysOnEveryItem(sub, where + " > " + Utf8(text), japanese);
    if (text.empty()) continue;  // a separator
    const AccessKey key = KeyOf(text);
    EXPECT_NE(key.key, 0) << where << ": \"" << Utf8(text) << "\" has no access key";
    if (japanese) {
      EXPECT_TRUE(InJapaneseForm(text, key)) << where << ": \"" << Utf8(text) << "\" is not in the (&X) form";
    }
    if (key.key == 0) continue;
    EXPECT_EQ(keys.count(key.key), 0u) << where << ": '" << static_cast<char>(key.key) << "' for \""
                                       << Utf8(keys[key.key]) << "\" and \"" << Utf8(text) << "\"";
    keys[key.key] = text;
  }
}

// Typed into the owner-drawn copy of the menu, each item's key (either case) chooses that item at
// once; a Japanese item's first character (a kana or kanji no menu key gives) chooses nothing.
void ExpectMenuCharChoosesEachItem(const IconMenu& drawn, HMENU plain, HMENU popup, const std::string& where,
                                   bool japanese) {
  for (int position = 0; position < ::GetMenuItemCount(plain); ++position) {
    const std::wstring text = ItemText(plain, position);
    if (HMENU sub = ::GetSubMenu(plain, position))
      ExpectMenuCharChoosesEachItem(drawn, sub, ::GetSubMenu(popup, position), where + " > " + Utf8(text), japanese);
    const AccessKey key = KeyOf(text);
    if (key.key == 0) continue;
    for (wchar_t typed : {key.key, static_cast<wchar_t>(std::towlower(key.key))}) {
      const LRESULT answer = drawn.MenuChar(typed, popup);
      EXPECT_EQ(HIWORD(answer), MNC_EXECUTE) << where << ": '" << static_cast<char>(typed) << "'";
      EXPECT_EQ(LOWORD(answer), position) << where << ": '" << static_cast<char>(typed) << "' for \"" << Utf8(text) << "\"";
    }
    if (japanese) {
      EXPECT_EQ(HIWORD(drawn.MenuChar(text[0], popup)), MNC_IGNORE) << where << ": \"" << Utf8(text) << "\"";
    }
  }
}

TEST(AccessKeys, EveryMenuItemHasAKeyOfItsOwnAndTheDrawnMenuAnswersIt) {
  std::set<UINT> english;
  for (const Language& language : kLanguages) {
    const std::vector<UINT> menus = TemplatesOf(kMenu, language.id);
    ASSERT_FALSE(menus.empty()) << language.name;
    if (language.japanese) {
      EXPECT_EQ(std::set<UINT>(menus.begin(), menus.end()), english) << "every menu in both languages";
    }
    english.insert(menus.begin(), menus.end());
    for (UINT id : menus) {
      const std::string where = std::string(language.name) + " menu " + std::to_string(id);
      HMENU plain = ::LoadMenuIndirectW(TemplateOf(kMenu, id, language.id));
      ASSERT_NE(plain, nullptr) << where;
      IconMenu drawn;  // one at a time: the drawn items' records are shared by command while any lives
      drawn.Attach(::LoadMenuIndirectW(TemplateOf(kMenu, id, language.id)));
      drawn.MakeOwnerDrawn();
      for (int popup = 0; popup < ::GetMenuItemCount(plain); ++popup) {
        ASSERT_NE(::GetSubMenu(plain, popup), nullptr) << where << ": the bar holds popups";
        ExpectKeysOnEveryItem(::GetSubMenu(plain, popup), where, language.japanese);
        ExpectMenuCharChoosesEachItem(drawn, ::GetSubMenu(plain, popup), ::GetSubMenu(drawn.menu(), popup), where,
                                      language.japanese);
      }
      ::DestroyMenu(plain);
    }
  }
}

// Items without a key of their own are chosen by their first letter; several with one letter are
// stepped through from the highlighted one; a grayed item is highlighted, not chosen.
TEST(AccessKeys, WithoutAnAmpersandTheFirstLetterStepsThroughTheItemsThatShareIt) {
  HMENU menu = ::CreatePopupMenu();
  const struct {
    const wchar_t* text;
    UINT flags;
  } items[] = {{L"Tray", 0}, {L"&Alpha", 0}, {L"Topmost", 0}, {L"B && C", 0}, {L"\x8868\x793A", 0}, {L"Grayed", MF_GRAYED}};
  UINT command = 100;
  for (const auto& item : items) ::AppendMenuW(menu, MF_STRING | item.flags, command++, item.text);
  IconMenu drawn;
  drawn.Attach(menu);
  drawn.MakeOwnerDrawn();
  const struct {
    wchar_t key;
    int highlighted;  // position highlighted before the key; -1: none
    int position;
    int code;
  } cases[] = {
      {L't', -1, 0, MNC_SELECT},  {L't', 0, 2, MNC_SELECT},  {L'T', 2, 0, MNC_SELECT},  // around again
      {L'a', -1, 1, MNC_EXECUTE},  {L'b', -1, 3, MNC_EXECUTE},  // "B && C" has no key: its first letter
      {L'c', -1, 0, MNC_IGNORE},   {L'&', -1, 0, MNC_IGNORE},
      {L'\x8868', -1, 4, MNC_EXECUTE},  // a first character that is a kanji, typed through an input method
      {L'g', -1, 5, MNC_SELECT},  {L'z', -1, 0, MNC_IGNORE},
  };
  for (const auto& c : cases) {
    for (int i = 0; i < ::GetMenuItemCount(menu); ++i) {
      MENUITEMINFOW info{};
      info.cbSize = sizeof(info);
      info.fMask = MIIM_STATE;
      ::GetMenuItemInfoW(menu, static_cast<UINT>(i), TRUE, &info);
      info.fState = i == c.highlighted ? (info.fState | MFS_HILITE) : (info.fState & ~MFS_HILITE);
      ::SetMenuItemInfoW(menu, static_cast<UINT>(i), TRUE, &info);
    }
    const LRESULT answer = drawn.MenuChar(c.key, menu);
    EXPECT_EQ(HIWORD(answer), c.code) << static_cast<int>(c.key) << " after " << c.highlighted;
    if (c.code != MNC_IGNORE) {
      EXPECT_EQ(LOWORD(answer), c.position) << static_cast<int>(c.key) << " after " << c.highlighted;
    }
  }
}

INT_PTR CALLBACK Inert(HWND, UINT message, WPARAM, LPARAM) { return message == WM_INITDIALOG; }

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

bool IsClass(HWND w, const wchar_t* name) { return _wcsicmp(ClassOf(w).c_str(), name) == 0; }

// Buttons that are pressed or checked; OK and Cancel have Enter and Esc.
bool WantsKey(HWND control) {
  if (!IsClass(control, L"Button")) return false;
  const int id = ::GetDlgCtrlID(control);
  if (id == IDOK || id == IDCANCEL) return false;
  switch (::GetWindowLongW(control, GWL_STYLE) & BS_TYPEMASK) {
    case BS_PUSHBUTTON:
    case BS_DEFPUSHBUTTON:
    case BS_CHECKBOX:
    case BS_AUTOCHECKBOX:
    case BS_RADIOBUTTON:
    case BS_AUTORADIOBUTTON:
    case BS_3STATE:
    case BS_AUTO3STATE:
      return HasWords(TextOf(control));
    default:
      return false;
  }
}

TEST(AccessKeys, EveryButtonAndFieldOfEveryDialogHasAKeyOfItsOwn) {
  INITCOMMONCONTROLSEX controls{sizeof(controls), ICC_WIN95_CLASSES | ICC_STANDARD_CLASSES | ICC_TAB_CLASSES};
  ::InitCommonControlsEx(&controls);
  std::set<UINT> english;
  for (const Language& language : kLanguages) {
    const std::vector<UINT> dialogs = TemplatesOf(kDialog, language.id);
    ASSERT_FALSE(dialogs.empty()) << language.name;
    if (language.japanese) {
      EXPECT_EQ(std::set<UINT>(dialogs.begin(), dialogs.end()), english) << "every dialog in both languages";
    }
    english.insert(dialogs.begin(), dialogs.end());
    for (UINT id : dialogs) {
      const std::string where = std::string(language.name) + " dialog " + std::to_string(id);
      HWND dialog = ::CreateDialogIndirectParamW(::GetModuleHandleW(nullptr),
                                                 static_cast<const DLGTEMPLATE*>(TemplateOf(kDialog, id, language.id)),
                                                 nullptr, Inert, 0);
      ASSERT_NE(dialog, nullptr) << where;
      std::map<wchar_t, std::wstring> keys;
      for (HWND previous = nullptr, c = ::GetWindow(dialog, GW_CHILD); c; previous = c, c = ::GetWindow(c, GW_HWNDNEXT)) {
        const std::wstring text = TextOf(c);
        const bool field = IsClass(c, L"Edit") || IsClass(c, L"ComboBox");
        const bool plainText = IsClass(c, L"Static") && (::GetWindowLongW(c, GWL_STYLE) & SS_NOPREFIX);
        const AccessKey key = field || plainText ? AccessKey{} : KeyOf(text);
        if (WantsKey(c)) {
          EXPECT_NE(key.key, 0) << where << ": \"" << Utf8(text) << "\" has no access key";
        }
        if (field && kUnlabelledFields.count(::GetDlgCtrlID(c)) == 0) {
          EXPECT_TRUE(previous != nullptr && IsClass(previous, L"Static") && KeyOf(TextOf(previous)).key != 0)
              << where << ": field " << ::GetDlgCtrlID(c) << " has no label with an access key";
        }
        if (key.key == 0) continue;
        if (language.japanese) {
          EXPECT_TRUE(InJapaneseForm(text, key)) << where << ": \"" << Utf8(text) << "\" is not in the (&X) form";
        }
        EXPECT_EQ(keys.count(key.key), 0u) << where << ": '" << static_cast<char>(key.key) << "' for \""
                                           << Utf8(keys[key.key]) << "\" and \"" << Utf8(text) << "\"";
        keys[key.key] = text;
      }
      ::DestroyWindow(dialog);
    }
  }
}

}  // namespace
