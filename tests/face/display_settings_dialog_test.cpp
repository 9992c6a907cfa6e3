#include "face/display_settings_dialog.h"

#include <gtest/gtest.h>

#include <cstring>
#include <functional>
#include <string>
#include <vector>

#include "face/colour_button.h"
#include "face/colour_grid.h"
#include "face/countdown_face.h"
#include "resource.h"
#include "storage/ini_profile_store.h"
#include "storage/scratch_dir.h"
#include "win/bitmap_canvas.h"
#include "win/unique_handle.h"
#include "win/wide_text.h"

namespace {

using Variant = DisplaySettingsDialog::Variant;
using Step = std::function<void(HWND)>;

// The real dialog, with steps run one by one from its own message loop: each
// step is a posted message, so whatever an earlier step posted is handled first.
class ScriptedSettings : public DisplaySettingsDialog {
 public:
  ScriptedSettings(Variant variant, std::vector<Step> steps)
      : DisplaySettingsDialog(variant), steps_(std::move(steps)) {}

 protected:
  static constexpr UINT kNextStep = WM_APP + 40;

  BOOL OnInitDialog() override {
    const BOOL result = DisplaySettingsDialog::OnInitDialog();
    ::PostMessageA(hwnd(), kNextStep, 0, 0);
    return result;
  }
  LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override {
    if (message != kNextStep) return DisplaySettingsDialog::WindowProc(message, wParam, lParam);
    if (next_ < steps_.size()) {
      steps_[next_++](hwnd());
      ::PostMessageA(hwnd(), kNextStep, 0, 0);
    } else {
      // A script that forgot to end the dialog must not hang the run.
      ADD_FAILURE() << "the script ended with the dialog still open";
      ::PostMessageA(hwnd(), WM_COMMAND, IDCANCEL, 0);
    }
    return 0;
  }

 private:
  std::vector<Step> steps_;
  size_t next_ = 0;
};

const Step kLetItRun = [](HWND) {};
// Posted steps keep the queue busy, so the system's own WM_PAINT never comes between them.
const Step kPaintNow = [](HWND w) { ::UpdateWindow(w); };
const Step kClickOk = [](HWND w) { ::PostMessageA(::GetDlgItem(w, IDOK), BM_CLICK, 0, 0); };
const Step kClickCancel = [](HWND w) { ::PostMessageA(::GetDlgItem(w, IDCANCEL), BM_CLICK, 0, 0); };

std::string Text(HWND window) { return WideText::OfWindow(window); }

// As if typed over the whole text (a multi-line edit reports no change for WM_SETTEXT).
void SetFormat(HWND dialog, const char* text) {
  ::SendDlgItemMessageW(dialog, IDC_FORMAT, EM_SETSEL, 0, -1);
  ::SendDlgItemMessageW(dialog, IDC_FORMAT, EM_REPLACESEL, TRUE, reinterpret_cast<LPARAM>(WideText::From(text).c_str()));
}

// Typed key by key: each UTF-16 unit as the WM_CHAR a keyboard sends (a character outside the
// basic plane comes as its two halves).
void Type(HWND dialog, std::string_view text) {
  HWND edit = ::GetDlgItem(dialog, IDC_FORMAT);
  for (wchar_t unit : WideText::From(text)) ::SendMessageW(edit, WM_CHAR, unit, 1);
}

void Click(HWND dialog, int id) {
  ::SendMessageA(dialog, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), reinterpret_cast<LPARAM>(::GetDlgItem(dialog, id)));
}

// What a grid cell chosen on a colour button sends it.
void ChooseCell(HWND dialog, int buttonId, int cell) {
  ::SendMessageA(::GetDlgItem(dialog, buttonId), WM_COMMAND, ColourButton::kFirstCellId + static_cast<UINT>(cell), 0);
}

// A pixel of the preview, just inside its frame.
COLORREF PreviewPixel(HWND dialog, int x, int y) {
  HWND frame = ::GetDlgItem(dialog, IDC_PREVIEW);
  HDC dc = ::GetDC(frame);
  const COLORREF colour = ::GetPixel(dc, x, y);
  ::ReleaseDC(frame, dc);
  return colour;
}

bool SameSettings(const ClockFace& a, const ClockFace& b) {
  return std::memcmp(&a.font, &b.font, sizeof a.font) == 0 && a.textColour == b.textColour &&
         a.backColour == b.backColour && a.flagDT == b.flagDT && std::memcmp(&a.windowRect, &b.windowRect, sizeof(RECT)) == 0 &&
         a.options == b.options && a.otherOptionBits == b.otherOptionBits && a.format == b.format;
}

TEST(DisplaySettingsDialogTest, OutOfRangeAlignmentOpensAsCentreAndReturnsAsCentre) {
  ClockFace caller;
  caller.flagDT = 5;
  caller.format = "%H\r\n%M";
  UINT checked[3] = {};
  std::int32_t flagAtStart = -1;
  ScriptedSettings dialog(Variant::Plain, {[&](HWND w) {
                                             for (int i = 0; i < 3; ++i) checked[i] = ::IsDlgButtonChecked(w, IDC_ALIGN_LEFT + i);
                                             flagAtStart = dialog.face().flagDT;
                                           },
                                           kClickOk});
  ASSERT_TRUE(dialog.EditFace(caller));
  EXPECT_EQ(checked[0], BST_UNCHECKED);
  EXPECT_EQ(checked[1], BST_CHECKED);
  EXPECT_EQ(checked[2], BST_UNCHECKED);
  EXPECT_EQ(flagAtStart, 1);
  EXPECT_EQ(caller.flagDT, 1);
}

TEST(DisplaySettingsDialogTest, AlignmentRadiosFollowAndSetFlagDT) {
  for (std::int32_t flag : {0, 1, 2}) {
    ClockFace caller;
    caller.flagDT = flag;
    caller.format = "a\r\nbb";
    UINT checked = 0;
    const int next = IDC_ALIGN_LEFT + (flag + 1) % 3;
    ScriptedSettings dialog(Variant::Plain, {[&](HWND w) {
                                               checked = ::IsDlgButtonChecked(w, IDC_ALIGN_LEFT + flag);
                                               ::SendMessageA(::GetDlgItem(w, next), BM_CLICK, 0, 0);
                                             },
                                             kClickOk});
    ASSERT_TRUE(dialog.EditFace(caller));
    EXPECT_EQ(checked, BST_CHECKED) << "FlagDT " << flag;
    EXPECT_EQ(caller.flagDT, next - IDC_ALIGN_LEFT) << "FlagDT " << flag;
  }
}

TEST(DisplaySettingsDialogTest, AlignmentIsEnabledOnlyForMultiLineFormats) {
  const int group[] = {IDC_ALIGN_GROUP, IDC_ALIGN_LABEL, IDC_ALIGN_LEFT, IDC_ALIGN_CENTER, IDC_ALIGN_RIGHT};
  std::vector<BOOL> atStart, afterEnter, afterBackspace;
  auto snapshot = [&](std::vector<BOOL>& into) {
    return [&into, &group](HWND w) {
      for (int id : group) into.push_back(::IsWindowEnabled(::GetDlgItem(w, id)));
    };
  };
  auto press = [](WPARAM key) {
    return [key](HWND w) {
      HWND edit = ::GetDlgItem(w, IDC_FORMAT);
      ::SetFocus(edit);
      ::PostMessageA(edit, WM_KEYDOWN, key, 1);
      ::PostMessageA(edit, WM_KEYUP, key, 0xC0000001);
    };
  };
  ClockFace caller;
  caller.format = "%H:%M";
  std::string format;
  ScriptedSettings dialog(Variant::Plain,
                          {snapshot(atStart),
                           [](HWND w) { ::SendDlgItemMessageA(w, IDC_FORMAT, EM_SETSEL, 5, 5); },
                           press(VK_RETURN), kLetItRun, snapshot(afterEnter),
                           [&](HWND w) { format = Text(::GetDlgItem(w, IDC_FORMAT)); },
                           press(VK_BACK), kLetItRun, snapshot(afterBackspace), kClickCancel});
  EXPECT_FALSE(dialog.EditFace(caller)) << "Enter in the format inserts a line break; it does not press OK";
  EXPECT_EQ(atStart, std::vector<BOOL>(5, FALSE));
  EXPECT_EQ(format, "%H:%M\r\n");
  EXPECT_EQ(afterEnter, std::vector<BOOL>(5, TRUE));
  EXPECT_EQ(afterBackspace, std::vector<BOOL>(5, FALSE));
}

TEST(DisplaySettingsDialogTest, AddPutsTheTokenAtTheSelectionAndTheCaretAfterIt) {
  struct Case {
    const char* name;
    Variant variant;
    const char* format;
    int selStart, selEnd;
    int entry;
    const char* expected;
    DWORD caret;
  } const cases[] = {
      {"caret after %H", Variant::Plain, "%H:%M", 2, 2, 0, "%H%Y:%M", 4},
      {"first two characters selected", Variant::Plain, "%H:%M", 0, 2, 0, "%Y:%M", 2},
      {"selection made backwards", Variant::Plain, "%H:%M", 5, 3, 9, "%H:%H", 5},
      {"at the end of the second line", Variant::Plain, "%H\r\n%M", 6, 6, 11, "%H\r\n%M%M", 8},
      {"empty format", Variant::Plain, "", 0, 0, 8, "%p", 2},
      {"countdown: minutes token", Variant::Countdown, "left", 0, 0, 0, "%Qleft", 2},
      {"countdown: seconds token, last entry", Variant::Countdown, "%M:", 3, 3, 15, "%M:%S", 5},
  };
  for (const Case& c : cases) {
    ClockFace caller;
    caller.format = c.format;
    DWORD start = 99, end = 99;
    std::string shown;
    bool editFocused = false;
    ScriptedSettings dialog(c.variant, {[&](HWND w) {
                                          ::SendDlgItemMessageA(w, IDC_FORMAT, EM_SETSEL, c.selStart, c.selEnd);
                                          ::SendDlgItemMessageA(w, IDC_TOKENS, CB_SETCURSEL, c.entry, 0);
                                          ::SetFocus(::GetDlgItem(w, IDC_ADD_TOKEN));
                                          Click(w, IDC_ADD_TOKEN);
                                          ::SendDlgItemMessageA(w, IDC_FORMAT, EM_GETSEL, reinterpret_cast<WPARAM>(&start),
                                                                reinterpret_cast<LPARAM>(&end));
                                          shown = Text(::GetDlgItem(w, IDC_FORMAT));
                                          editFocused = ::GetFocus() == ::GetDlgItem(w, IDC_FORMAT);
                                        },
                                        kClickOk});
    ASSERT_TRUE(dialog.EditFace(caller)) << c.name;
    EXPECT_EQ(shown, c.expected) << c.name;
    EXPECT_EQ(caller.format, c.expected) << c.name;
    EXPECT_EQ(start, c.caret) << c.name;
    EXPECT_EQ(end, c.caret) << c.name;
    EXPECT_TRUE(editFocused) << c.name;
  }
}

// In a double-byte code page (Japanese) the edit counts characters, not bytes:
// the token must land between characters, never inside one. Runs under a
// Japanese locale only (the end-to-end script starts it there).
// The edit's positions are UTF-16 units: a token added after a kanji and an emoji (two units)
// lands after them whatever the system's code page.
TEST(DisplaySettingsDialogTest, AddKeepsEveryCharacterWhole) {
  ClockFace caller;
  caller.format = "\xF0\x9F\x95\x92\xE6\x99\x82%H";  // "🕒時%H"
  ScriptedSettings dialog(Variant::Plain, {[](HWND w) {
                                             ::SendDlgItemMessageW(w, IDC_FORMAT, EM_SETSEL, 3, 3);  // after 時
                                             Click(w, IDC_ADD_TOKEN);
                                           },
                                           kClickOk});
  ASSERT_TRUE(dialog.EditFace(caller));
  EXPECT_EQ(caller.format, "\xF0\x9F\x95\x92\xE6\x99\x82%Y%H");
}

// A format of any script and emoji, typed into the dialog, comes back exactly, is stored and read
// back as the same text, and is drawn as that text (its own letters, nothing put in their place).
TEST(DisplaySettingsDialogTest, AFormatOfAnyCharacterIsTypedStoredAndDrawn) {
  const std::string typed = "\xF0\x9F\x95\x92 \xE6\x99\x82\xE5\x88\xBB %H \xD0\x96 \xF0\x9F\x98\x80";  // "🕒 時刻 %H Ж 😀"
  ClockFace caller;
  std::string shown;
  ScriptedSettings dialog(Variant::Plain, {[](HWND w) { SetFormat(w, ""); },
                                           [&](HWND w) {
                                             Type(w, typed);
                                             shown = Text(::GetDlgItem(w, IDC_FORMAT));
                                           },
                                           kClickOk});
  ASSERT_TRUE(dialog.EditFace(caller));
  EXPECT_EQ(shown, typed) << "the edit holds what was typed";
  EXPECT_EQ(caller.format, typed);

  ScratchDir dir;
  const std::string file = dir.File("Velta.ini");
  { IniProfileStore store(file); caller.TransferProfile(store, "Settings", Transfer::Save); store.Flush(); }
  ClockFace loaded;
  { IniProfileStore store(file); loaded.TransferProfile(store, "Settings", Transfer::Load); }
  EXPECT_EQ(loaded.format, typed) << "no character lost or replaced on the way through the file";

  std::tm moment{};
  moment.tm_year = 126;
  moment.tm_mon = 11;
  moment.tm_mday = 10;
  moment.tm_hour = 9;
  const std::wstring expected = L"\xD83D\xDD52 \u6642\u523B 09 \u0416 \xD83D\xDE00";
  EXPECT_EQ(loaded.ExpandTextWide(moment, 0), expected);
  BitmapCanvas drawn(400, 200), reference(400, 200);
  loaded.Draw(drawn.dc(), RECT{0, 0, 400, 200}, DpiScale::kBaseDpi, moment, 0);
  // The same text drawn wide by hand where the face puts it.
  reference.Fill(loaded.backColour);
  {
    const LOGFONTW font = loaded.FontAtDpi(DpiScale::kBaseDpi);
    FontHandle handle(::CreateFontIndirectW(&font));
    SelectGuard select(reference.dc(), handle.get());
    ::SetBkMode(reference.dc(), TRANSPARENT);
    ::SetTextColor(reference.dc(), loaded.textColour);
    RECT text{0, 0, 400, 200};
    const auto flags = static_cast<UINT>(loaded.flagDT);
    ::DrawTextW(reference.dc(), expected.data(), static_cast<int>(expected.size()), &text, flags | DT_CALCRECT);
    ::OffsetRect(&text, (402 - (text.right - text.left)) / 2, (202 - (text.bottom - text.top)) / 2);
    ::DrawTextW(reference.dc(), expected.data(), static_cast<int>(expected.size()), &text, flags);
  }
  int different = 0;
  for (int y = 0; y < 200; ++y)
    for (int x = 0; x < 400; ++x) different += drawn.Pixel(x, y) != reference.Pixel(x, y);
  EXPECT_EQ(different, 0);
  EXPECT_GT(drawn.LitBounds(loaded.backColour).right, 0);
}

TEST(DisplaySettingsDialogTest, TokenListsOfBothVariants) {
  struct Case {
    Variant variant;
    size_t count;
    const char* first;
    const char* last;
  } const cases[] = {
      {Variant::Plain, 12, "Year of 4 figures  ( %Y )", "Minutes (00 - 59)  ( %M )"},
      {Variant::Countdown, 16, "Timer time (min.)  ( %Q )", "Seconds (00 - 59)  ( %S )"},
  };
  for (const Case& c : cases) {
    std::vector<std::string> texts;
    LRESULT selected = -1;
    ScriptedSettings dialog(c.variant, {[&](HWND w) {
                                          HWND combo = ::GetDlgItem(w, IDC_TOKENS);
                                          const auto n = ::SendMessageA(combo, CB_GETCOUNT, 0, 0);
                                          for (LRESULT i = 0; i < n; ++i) {
                                            char text[128] = {};
                                            ::SendMessageA(combo, CB_GETLBTEXT, i, reinterpret_cast<LPARAM>(text));
                                            texts.push_back(text);
                                          }
                                          selected = ::SendMessageA(combo, CB_GETCURSEL, 0, 0);
                                        },
                                        kClickCancel});
    dialog.DoModal();
    ASSERT_EQ(texts.size(), c.count);
    EXPECT_EQ(texts.front(), c.first);
    EXPECT_EQ(texts.back(), c.last);
    EXPECT_EQ(selected, 0);
    EXPECT_EQ(dialog.face().IsCountdown(), c.variant == Variant::Countdown);
    // Each entry's text names the token that Add inserts for it.
    ASSERT_EQ(dialog.tokens().size(), c.count);
    for (size_t i = 0; i < c.count; ++i) {
      const std::string tail = dialog.tokens()[i] + " )";
      EXPECT_EQ(texts[i].substr(texts[i].size() - tail.size()), tail) << texts[i];
    }
  }
}

TEST(DisplaySettingsDialogTest, CancelAfterChangesLeavesTheCallersFaceAlone) {
  ClockFace caller;
  caller.format = "%H:%M";
  caller.textColour = RGB(0, 255, 0);
  caller.backColour = RGB(0, 0, 128);
  caller.flagDT = 0;
  caller.windowRect = RECT{10, 20, 310, 220};
  caller.options = FaceOptions::FromWord(OptTopmost | OptFrameless);
  const ClockFace before = caller;
  ScriptedSettings dialog(Variant::Plain, {[](HWND w) {
                                             SetFormat(w, "%Y\r\n%m");
                                             Click(w, IDC_ADD_TOKEN);
                                             ::SendMessageA(::GetDlgItem(w, IDC_ALIGN_RIGHT), BM_CLICK, 0, 0);
                                             ChooseCell(w, IDC_TEXT_COLOUR, 13);
                                             ChooseCell(w, IDC_BACK_COLOUR, 15);
                                           },
                                           kLetItRun, kClickCancel});
  EXPECT_FALSE(dialog.EditFace(caller));
  EXPECT_EQ(dialog.face().format, "%Y\r\n%m%Y") << "the dialog's own face did follow the changes";
  EXPECT_EQ(dialog.face().flagDT, 2);
  EXPECT_EQ(dialog.face().backColour, RGB(255, 255, 0));
  EXPECT_TRUE(SameSettings(caller, before));
}

TEST(DisplaySettingsDialogTest, PickedColoursReachThePreviewAndComeBackOnOk) {
  ClockFace caller;
  caller.format = "";  // the preview then shows the background alone
  caller.textColour = RGB(255, 255, 255);
  caller.backColour = RGB(0, 0, 0);
  caller.windowRect = RECT{1, 2, 3, 4};
  COLORREF before = 0, after = 0, edge = 0;
  ScriptedSettings dialog(Variant::Plain, {kPaintNow,
                                           [&](HWND w) {
                                             before = PreviewPixel(w, 10, 10);
                                             ChooseCell(w, IDC_BACK_COLOUR, 13);  // red
                                             ChooseCell(w, IDC_TEXT_COLOUR, 16);  // blue
                                           },
                                           [&](HWND w) {
                                             after = PreviewPixel(w, 10, 10);
                                             edge = PreviewPixel(w, 1, 1);
                                           },
                                           kClickOk});
  ASSERT_TRUE(dialog.EditFace(caller));
  EXPECT_EQ(before, RGB(0, 0, 0));
  EXPECT_EQ(after, RGB(255, 0, 0)) << "the notification repainted the preview in the new colour";
  EXPECT_EQ(edge, RGB(255, 0, 0)) << "the preview fills its frame's inside up to the frame";
  EXPECT_EQ(caller.backColour, RGB(255, 0, 0));
  EXPECT_EQ(caller.textColour, RGB(0, 0, 255));
  EXPECT_EQ(caller.windowRect.right, 3) << "settings the dialog does not edit come back unchanged";
}

TEST(DisplaySettingsDialogTest, PreviewDrawsTheEditedFormatInsideTheFrameOnly) {
  ClockFace caller;
  caller.format = "";
  caller.backColour = RGB(0, 0, 0);
  caller.textColour = RGB(255, 255, 255);
  int inkEmpty = -1, inkText = -1;
  COLORREF frameBorder = 0;
  auto countInk = [](HWND w) {
    HWND frame = ::GetDlgItem(w, IDC_PREVIEW);
    RECT r;
    ::GetClientRect(frame, &r);
    HDC dc = ::GetDC(frame);
    int ink = 0;
    for (int y = 1; y < r.bottom - 1; ++y)
      for (int x = 1; x < r.right - 1; ++x)
        if (::GetPixel(dc, x, y) != RGB(0, 0, 0)) ++ink;
    ::ReleaseDC(frame, dc);
    return ink;
  };
  ScriptedSettings dialog(Variant::Plain, {kPaintNow, [&](HWND w) { inkEmpty = countInk(w); },
                                           [](HWND w) { SetFormat(w, "WWWW"); }, kPaintNow,
                                           [&](HWND w) {
                                             inkText = countInk(w);
                                             frameBorder = PreviewPixel(w, 0, 0);
                                           },
                                           kClickCancel});
  dialog.EditFace(caller);
  EXPECT_EQ(inkEmpty, 0);
  EXPECT_GT(inkText, 50) << "typing into the format redraws the preview";
  EXPECT_NE(frameBorder, RGB(0, 0, 0)) << "the frame itself is not painted over";
}

// Ends the font dialog the Select button opens, from the thread's own timer.
WPARAM g_fontAnswer = IDOK;
bool g_fontDialogSeen = false;
BOOL CALLBACK EndFontDialog(HWND window, LPARAM found) {
  char cls[16] = {};
  ::GetClassNameA(window, cls, sizeof cls);
  if (lstrcmpA(cls, "#32770") == 0 && ::IsWindowVisible(window) && ::GetDlgItem(window, IDC_FORMAT) == nullptr) {
    ::PostMessageA(window, WM_COMMAND, g_fontAnswer, 0);
    *reinterpret_cast<bool*>(found) = true;
    return FALSE;
  }
  return TRUE;
}
void CALLBACK FontDialogTimer(HWND, UINT, UINT_PTR id, DWORD) {
  bool found = false;
  ::EnumThreadWindows(::GetCurrentThreadId(), EndFontDialog, reinterpret_cast<LPARAM>(&found));
  if (found) {
    g_fontDialogSeen = true;
    ::KillTimer(nullptr, id);
  }
}

TEST(DisplaySettingsDialogTest, FontDialogStartsFromTheFaceFont) {
  for (WPARAM answer : {WPARAM{IDCANCEL}, WPARAM{IDOK}}) {
    ClockFace caller;
    LOGFONTA font{};
    font.lfHeight = -16;
    font.lfWeight = FW_BOLD;
    font.lfItalic = TRUE;
    font.lfCharSet = ANSI_CHARSET;
    font.lfQuality = 0x55;  // no font dialog makes this up
    lstrcpyA(font.lfFaceName, "Tahoma");
    caller.font = font;
    g_fontAnswer = answer;
    g_fontDialogSeen = false;
    ScriptedSettings dialog(Variant::Plain, {[&](HWND w) {
                                               const UINT_PTR timer = ::SetTimer(nullptr, 0, 100, FontDialogTimer);
                                               Click(w, IDC_SELECT_FONT);
                                               ::KillTimer(nullptr, timer);
                                             },
                                             kClickOk});
    ASSERT_TRUE(dialog.EditFace(caller));
    const char* name = answer == IDOK ? "OK" : "Cancel";
    EXPECT_TRUE(g_fontDialogSeen) << name;
    // The dialog opened on the face's font: what it gives back is that font.
    EXPECT_STREQ(caller.font.lfFaceName, "Tahoma") << name;
    EXPECT_EQ(caller.font.lfWeight, FW_BOLD) << name;
    EXPECT_TRUE(caller.font.lfItalic) << name;
    EXPECT_EQ(caller.font.lfHeight, -16) << name;
    if (answer == IDCANCEL) EXPECT_EQ(caller.font.lfQuality, 0x55) << "Cancel leaves the font exactly as it was";
  }
}

TEST(DisplaySettingsDialogTest, ConstructedFromAFaceTakesItsVariantAndSettings) {
  CountdownFace counter;
  counter.format = "%Q min";
  ClockFace plain;
  plain.format = "%H";
  DisplaySettingsDialog forCounter(counter);
  DisplaySettingsDialog forPlain(plain);
  EXPECT_TRUE(forCounter.face().IsCountdown());
  EXPECT_EQ(forCounter.face().format, "%Q min");
  EXPECT_EQ(forCounter.textIds().size(), 16u);
  EXPECT_FALSE(forPlain.face().IsCountdown());
  EXPECT_EQ(forPlain.tokens().size(), 12u);
  forPlain.UseCountdownVariant();
  forPlain.UseCountdownVariant();
  EXPECT_EQ(forPlain.tokens().size(), 16u) << "switching twice adds the timer tokens once";
}

}  // namespace
