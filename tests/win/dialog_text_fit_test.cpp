// Every label of every dialog template, in both languages, measured in the dialog's own font at
// the DPI this runs at (the suite runs at 96 DPI, tests/e2e/dialog_text_fit.sh at 144): a label
// that does not fit is cut on screen ("Action is" for "Action is executed"), a push button's
// text needs room inside its edges, and a text control set at run time holds the lines it is
// made for, underscores included.
#include <windows.h>
#include <commctrl.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "resource.h"
#include "win/wide_text.h"

namespace {

const UINT kDialogs[] = {IDD_VERSION,     IDD_DISPLAY_SETTINGS,    IDD_KEY_INPUT,     IDD_QUICKTIMER,
                         IDD_COUNTER,     IDD_TIME_ADJUST,         IDD_LAUNCHER,      IDD_LAUNCHER_ADD,
                         IDD_LAUNCHER_ADD_ENCODE, IDD_FILE_PROGRESS, IDD_OPEN_ELSEWHERE};

struct Language {
  const char* name;
  LANGID id;
};
const Language kLanguages[] = {{"English", MAKELANGID(LANG_ENGLISH, SUBLANG_ENGLISH_US)},
                               {"Japanese", MAKELANGID(LANG_JAPANESE, SUBLANG_DEFAULT)}};

// Text controls filled at run time, with a text as long as they get (English, Japanese) and the
// lines they are made for.
struct RunTimeText {
  UINT dialog;
  int control;
  const wchar_t* english;
  const wchar_t* japanese;
  int lines;
  int japaneseLines;  // a path wraps to one more line beside the wider kana and kanji
};
#define VELTA_SAMPLE_PATH L"C:\\Users\\user_name\\Documents\\my_files\\the_encoded_file_with_a_long_name.txt"
const RunTimeText kRunTimeTexts[] = {
    {IDD_FILE_PROGRESS, IDC_FILE_PROGRESS_TEXT, L"Encoding " VELTA_SAMPLE_PATH L" ...",
     VELTA_SAMPLE_PATH L" \x3092\x6697\x53F7\x5316\x3057\x3066\x3044\x307E\x3059...", 2, 3},
    {IDD_FILE_PROGRESS, IDC_FILE_PROGRESS_PERCENT, L"100 %", L"100 %", 1, 1},
    {IDD_OPEN_ELSEWHERE, IDC_OPEN_ELSEWHERE_TEXT,
     VELTA_SAMPLE_PATH L" is still open in another program. Close it there, then press Encode now.",
     VELTA_SAMPLE_PATH L" \x306F\x307E\x3060\x5225\x306E\x30D7\x30ED\x30B0\x30E9\x30E0\x3067\x958B\x304B"
                       L"\x308C\x3066\x3044\x307E\x3059\x3002",
     4, 4},
};
#undef VELTA_SAMPLE_PATH

INT_PTR CALLBACK NoDialogProc(HWND, UINT, WPARAM, LPARAM) { return FALSE; }

HWND CreateInLanguage(UINT id, LANGID language) {
  HMODULE module = ::GetModuleHandleW(nullptr);
  HRSRC found = ::FindResourceExW(module, MAKEINTRESOURCEW(5) /* RT_DIALOG */, MAKEINTRESOURCEW(id), language);
  if (found == nullptr) return nullptr;
  auto* templ = static_cast<const DLGTEMPLATE*>(::LockResource(::LoadResource(module, found)));
  return ::CreateDialogIndirectParamW(module, templ, nullptr, &NoDialogProc, 0);
}

std::wstring ClassOf(HWND window) {
  wchar_t name[64] = {};
  ::GetClassNameW(window, name, 64);
  return name;
}

std::wstring TextOf(HWND window) {
  std::wstring text(static_cast<std::size_t>(::GetWindowTextLengthW(window)) + 1, L'\0');
  text.resize(static_cast<std::size_t>(::GetWindowTextW(window, text.data(), static_cast<int>(text.size()))));
  return text;
}

struct Measure {
  SIZE text;       // the block DrawText makes of it
  int lineHeight;  // one line of the font
};

// What DrawText makes of `text` in the control's font, wrapped at `wrapWidth` (0: one line).
Measure MeasureIn(HWND control, const std::wstring& text, int wrapWidth, bool prefix) {
  HDC dc = ::GetDC(control);
  HGDIOBJ old = ::SelectObject(dc, reinterpret_cast<HFONT>(::SendMessageW(control, WM_GETFONT, 0, 0)));
  TEXTMETRICW metrics{};
  ::GetTextMetricsW(dc, &metrics);
  RECT r{0, 0, wrapWidth > 0 ? wrapWidth : 100000, 0};
  UINT flags = DT_CALCRECT | (wrapWidth > 0 ? DT_WORDBREAK : DT_SINGLELINE) | (prefix ? 0 : DT_NOPREFIX);
  ::DrawTextW(dc, text.c_str(), static_cast<int>(text.size()), &r, flags);
  ::SelectObject(dc, old);
  ::ReleaseDC(control, dc);
  return Measure{SIZE{r.right - r.left, r.bottom - r.top}, static_cast<int>(metrics.tmHeight)};
}

int Scaled(HWND window, int pixels96) {
  HDC dc = ::GetDC(window);
  const int dpi = ::GetDeviceCaps(dc, LOGPIXELSY);
  ::ReleaseDC(window, dc);
  return ::MulDiv(pixels96, dpi, 96);
}

// "" when the control's text fits, else what does not.
std::string Misfit(HWND control, const std::wstring& text, int lines) {
  RECT client;
  ::GetClientRect(control, &client);
  const LONG style = ::GetWindowLongW(control, GWL_STYLE);
  const std::wstring cls = ClassOf(control);
  const auto report = [&](const char* what, int need, int have) {
    return std::string(what) + " needs " + std::to_string(need) + " pixels, has " + std::to_string(have);
  };
  if (_wcsicmp(cls.c_str(), L"Static") == 0) {
    const int type = style & SS_TYPEMASK;
    if (type != SS_LEFT && type != SS_CENTER && type != SS_RIGHT && type != SS_LEFTNOWORDWRAP) return "";
    const bool wraps = type != SS_LEFTNOWORDWRAP;
    const Measure m = MeasureIn(control, text, wraps ? client.right : 0, (style & SS_NOPREFIX) == 0);
    if (m.text.cx > client.right) return report("width", m.text.cx, client.right);
    const int height = std::max<int>(m.text.cy, lines * m.lineHeight);
    if (height > client.bottom) return report("height", height, client.bottom);
    return "";
  }
  if (_wcsicmp(cls.c_str(), L"Button") != 0) return "";
  const int type = style & BS_TYPEMASK;
  const Measure m = MeasureIn(control, text, 0, true);
  int room = 0;
  switch (type) {
    case BS_PUSHBUTTON:
    case BS_DEFPUSHBUTTON:
      room = 2 * Scaled(control, 5);  // the edges, the focus rectangle and a little air on each side
      break;
    case BS_CHECKBOX:
    case BS_AUTOCHECKBOX:
    case BS_RADIOBUTTON:
    case BS_AUTORADIOBUTTON:
    case BS_3STATE:
    case BS_AUTO3STATE:
      room = Scaled(control, 13 + 5);  // the box and the gap after it
      break;
    case BS_GROUPBOX:
      room = 2 * Scaled(control, 8);
      break;
    default:
      return "";
  }
  if (m.text.cx + room > client.right) return report("width", m.text.cx + room, client.right);
  if (m.text.cy > client.bottom) return report("height", m.text.cy, client.bottom);
  return "";
}

// Wine has no MS UI Gothic: the font that stands in for it draws kana and kanji a quarter
// narrower than Windows does. So a Japanese label is also measured as Windows lays it out: in
// MS UI Gothic a full-width character is two average characters wide, 8 dialog units (a line
// is 8 units high); the half-width rest is measured in the dialog's font.
int WindowsJapaneseUnits(HWND dialog, HWND control, const std::wstring& text, bool prefix, int unitWidth) {
  int units = 0;
  std::wstring halfWidth;
  for (std::size_t i = 0; i < text.size(); ++i) {
    if (prefix && text[i] == L'&' && i + 1 < text.size()) ++i;
    const wchar_t c = text[i];
    if (c < 0x1100 || (c >= 0xFF61 && c <= 0xFFDC)) halfWidth += c;
    else units += 8;
  }
  if (!halfWidth.empty()) units += (MeasureIn(control, halfWidth, 0, false).text.cx * 4 + unitWidth - 1) / unitWidth;
  return units;
}

std::string JapaneseMisfit(HWND dialog, HWND control, const std::wstring& text, int lines) {
  // Texts without kana or kanji draw in Wine as on Windows: the measure above holds for them.
  if (std::all_of(text.begin(), text.end(), [](wchar_t c) { return c < 0x1100 || (c >= 0xFF61 && c <= 0xFFDC); }))
    return "";
  RECT units{0, 0, 4, 8};
  ::MapDialogRect(dialog, &units);  // pixels of 4 x 8 dialog units
  RECT client;
  ::GetClientRect(control, &client);
  const int width = static_cast<int>(client.right * 4 / units.right);
  const int height = static_cast<int>(client.bottom * 8 / units.bottom);
  const LONG style = ::GetWindowLongW(control, GWL_STYLE);
  const std::wstring cls = ClassOf(control);
  const auto report = [](const char* what, int need, int have) {
    return std::string("on Windows ") + what + " needs " + std::to_string(need) + " dialog units, has " +
           std::to_string(have);
  };
  if (_wcsicmp(cls.c_str(), L"Static") == 0) {
    const int type = style & SS_TYPEMASK;
    if (type != SS_LEFT && type != SS_CENTER && type != SS_RIGHT) return "";
    const int need = WindowsJapaneseUnits(dialog, control, text, (style & SS_NOPREFIX) == 0, units.right);
    const int rows = std::max(lines, (need + width - 1) / std::max(width, 1));
    if (rows * 8 > height) return report("height", rows * 8, height);
    return "";
  }
  if (_wcsicmp(cls.c_str(), L"Button") != 0) return "";
  int room = 0;
  switch (style & BS_TYPEMASK) {
    case BS_PUSHBUTTON:
    case BS_DEFPUSHBUTTON:
      room = 10;  // 5 units (7.5 pixels at 96 DPI) on each side: no text from edge to edge
      break;
    case BS_AUTOCHECKBOX:
    case BS_CHECKBOX:
    case BS_AUTORADIOBUTTON:
    case BS_RADIOBUTTON:
      room = 12;
      break;
    case BS_GROUPBOX:
      room = 10;
      break;
    default:
      return "";
  }
  const int need = WindowsJapaneseUnits(dialog, control, text, true, units.right) + room;
  if (need > width) return report("width", need, width);
  return "";
}

TEST(DialogTextFit, EveryLabelFitsItsControlInBothLanguages) {
  INITCOMMONCONTROLSEX init{sizeof init, ICC_WIN95_CLASSES};
  ::InitCommonControlsEx(&init);
  int measured = 0;
  for (const Language& language : kLanguages) {
    for (UINT id : kDialogs) {
      HWND dialog = CreateInLanguage(id, language.id);
      ASSERT_NE(dialog, nullptr) << language.name << " dialog " << id;
      for (HWND child = ::GetWindow(dialog, GW_CHILD); child != nullptr; child = ::GetWindow(child, GW_HWNDNEXT)) {
        const int control = ::GetDlgCtrlID(child);
        std::wstring text = TextOf(child);
        int lines = 1;
        for (const RunTimeText& r : kRunTimeTexts)
          if (r.dialog == id && r.control == control)
            text = language.id == kLanguages[0].id ? r.english : r.japanese,
            lines = language.id == kLanguages[0].id ? r.lines : r.japaneseLines;
        if (text.empty() || !(::GetWindowLongW(child, GWL_STYLE) & WS_VISIBLE)) continue;
        ++measured;
        const std::string misfit = Misfit(child, text, lines);
        EXPECT_EQ(misfit, "") << language.name << " dialog " << id << ", control " << control << " \""
                              << WideText::ToUtf8(text) << "\"";
        if (language.id == MAKELANGID(LANG_JAPANESE, SUBLANG_DEFAULT))
          EXPECT_EQ(JapaneseMisfit(dialog, child, text, lines), "")
              << "dialog " << id << ", control " << control << " \"" << WideText::ToUtf8(text) << "\"";
      }
      ::DestroyWindow(dialog);
    }
  }
  EXPECT_GT(measured, 100) << "every dialog was walked";
}

}  // namespace
