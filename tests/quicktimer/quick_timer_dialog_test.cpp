#include "quicktimer/quick_timer_dialog.h"

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "launcher/ui_script.h"
#include "resource.h"
#include "storage/ini_profile_store.h"

namespace {

std::vector<std::string> g_messages;

// Runs in the message box's loop: notes its text and closes it.
void CALLBACK CloseMessageBox(HWND, UINT, UINT_PTR, DWORD) {
  HWND box = nullptr;
  for (HWND w = ::FindWindowExA(nullptr, nullptr, "#32770", nullptr); w; w = ::FindWindowExA(nullptr, w, "#32770", nullptr)) {
    if (::GetDlgItem(w, 0xFFFF) != nullptr && ::GetDlgItem(w, IDC_QT_MINUTES) == nullptr) box = w;
  }
  if (box == nullptr) return;
  char text[256] = {};
  ::GetDlgItemTextA(box, 0xFFFF, text, sizeof text);
  g_messages.push_back(text);
  ::PostMessageA(box, WM_COMMAND, IDOK, 0);
}

class ScriptedQuickTimer : public QuickTimerDialog {
 public:
  explicit ScriptedQuickTimer(std::function<void(HWND)> script) : script_(std::move(script)) {}
  std::string minutesShown, secondsShown;
  bool counterShown = false, messageShown = false, soundShown = false, executeShown = false;
  bool startEnabledAfterClearing = true;

 protected:
  BOOL OnInitDialog() override {
    QuickTimerDialog::OnInitDialog();
    char text[32] = {};
    ::GetDlgItemTextA(hwnd(), IDC_QT_MINUTES, text, sizeof text);
    minutesShown = text;
    ::GetDlgItemTextA(hwnd(), IDC_QT_SECONDS, text, sizeof text);
    secondsShown = text;
    counterShown = ::IsDlgButtonChecked(hwnd(), IDC_QT_COUNTER);
    messageShown = ::IsDlgButtonChecked(hwnd(), IDC_QT_MESSAGE);
    soundShown = ::IsDlgButtonChecked(hwnd(), IDC_QT_SOUND);
    executeShown = ::IsDlgButtonChecked(hwnd(), IDC_QT_EXECUTE);
    script_(hwnd());
    return TRUE;
  }

 private:
  std::function<void(HWND)> script_;
};

void ClearStoredSettings() {
  ::RegDeleteKeyA(HKEY_CURRENT_USER, "SOFTWARE\\Orvex's Applications\\velta_win_tests\\QuickTimer");
}

void Click(HWND dialog, int id) {
  ::SendMessageA(::GetDlgItem(dialog, id), BM_CLICK, 0, 0);
}

// Types a value into a field and presses Start, then Cancel.
std::function<void(HWND)> TryStart(const char* minutes, const char* seconds) {
  return [=](HWND d) {
    ::SetDlgItemTextA(d, IDC_QT_MINUTES, minutes);
    ::CheckDlgButton(d, IDC_QT_SOUND, BST_CHECKED);
    ::SetDlgItemTextA(d, IDC_QT_SECONDS, seconds);
    ::PostMessageA(::GetDlgItem(d, IDOK), BM_CLICK, 0, 0);
    ::PostMessageA(::GetDlgItem(d, IDCANCEL), BM_CLICK, 0, 0);
  };
}

TEST(QuickTimerDialog, FirstUseShowsTheDefaults) {
  ClearStoredSettings();
  ScriptedQuickTimer dialog([](HWND d) { ::PostMessageA(d, WM_COMMAND, IDCANCEL, 0); });
  EXPECT_EQ(dialog.DoModal(), IDCANCEL);
  EXPECT_EQ(dialog.minutesShown, "3");
  EXPECT_EQ(dialog.secondsShown, "10");
  EXPECT_TRUE(dialog.counterShown);
  EXPECT_TRUE(dialog.messageShown);
  EXPECT_FALSE(dialog.soundShown);
  EXPECT_FALSE(dialog.executeShown);
}

TEST(QuickTimerDialog, BadInputShowsTheInputErrorAndKeepsTheDialog) {
  const UINT_PTR timer = ::SetTimer(nullptr, 0, 50, CloseMessageBox);
  const struct {
    const char* minutes;
    const char* seconds;
  } cases[] = {{"0", "10"}, {"-1", "10"}, {"abc", "10"}, {"5", "0"}};
  for (const auto& c : cases) {
    ClearStoredSettings();
    g_messages.clear();
    ScriptedQuickTimer dialog(TryStart(c.minutes, c.seconds));
    EXPECT_EQ(dialog.DoModal(), IDCANCEL) << c.minutes << " " << c.seconds << ": the dialog stays until Cancel";
    ASSERT_EQ(g_messages.size(), 1u) << c.minutes << " " << c.seconds;
    EXPECT_EQ(g_messages[0], "Input data error.");
  }
  ::KillTimer(nullptr, timer);
}

TEST(QuickTimerDialog, HalfAMinuteStartsThirtySecondsAndReopensAsHalf) {
  ClearStoredSettings();
  {
    ScriptedQuickTimer dialog([](HWND d) {
      ::SetDlgItemTextA(d, IDC_QT_MINUTES, ".5");
      ::PostMessageA(::GetDlgItem(d, IDOK), BM_CLICK, 0, 0);
    });
    ASSERT_EQ(dialog.DoModal(), IDOK);
    EXPECT_EQ(dialog.settings().countdown.duration, 30000u);
    EXPECT_EQ(dialog.settings().flags, 0x3u);
    EXPECT_EQ(dialog.settings().soundTime.duration, 10000u);
  }
  ScriptedQuickTimer again([](HWND d) { ::PostMessageA(d, WM_COMMAND, IDCANCEL, 0); });
  again.DoModal();
  EXPECT_EQ(again.minutesShown, "0.5");
}

TEST(QuickTimerDialog, EnablingFollowsTheChecks) {
  ClearStoredSettings();
  struct Seen {
    BOOL start, counterSetting, messageSetting, wave, seconds, app, param;
  };
  std::vector<Seen> seen;
  ScriptedQuickTimer dialog([&](HWND d) {
    auto look = [&] {
      seen.push_back({::IsWindowEnabled(::GetDlgItem(d, IDOK)), ::IsWindowEnabled(::GetDlgItem(d, IDC_QT_COUNTER_SETTING)),
                      ::IsWindowEnabled(::GetDlgItem(d, IDC_QT_MESSAGE_SETTING)), ::IsWindowEnabled(::GetDlgItem(d, IDC_QT_WAVE)),
                      ::IsWindowEnabled(::GetDlgItem(d, IDC_QT_SECONDS)), ::IsWindowEnabled(::GetDlgItem(d, IDC_QT_APP)),
                      ::IsWindowEnabled(::GetDlgItem(d, IDC_QT_PARAM))});
    };
    look();  // first use: counter and message
    Click(d, IDC_QT_COUNTER);
    Click(d, IDC_QT_MESSAGE);
    look();  // nothing checked
    Click(d, IDC_QT_SOUND);
    look();
    Click(d, IDC_QT_SOUND);
    Click(d, IDC_QT_EXECUTE);
    look();
    ::PostMessageA(d, WM_COMMAND, IDCANCEL, 0);
  });
  dialog.DoModal();
  ASSERT_EQ(seen.size(), 4u);
  EXPECT_TRUE(seen[0].start && seen[0].counterSetting && seen[0].messageSetting);
  EXPECT_FALSE(seen[0].wave || seen[0].seconds || seen[0].app || seen[0].param);
  EXPECT_FALSE(seen[1].start) << "all checks cleared disables Start";
  EXPECT_FALSE(seen[1].counterSetting || seen[1].messageSetting);
  EXPECT_TRUE(seen[2].start && seen[2].wave && seen[2].seconds);
  EXPECT_FALSE(seen[2].app);
  EXPECT_TRUE(seen[3].start && seen[3].app && seen[3].param);
  EXPECT_FALSE(seen[3].wave || seen[3].seconds);
}

TEST(QuickTimerDialog, CancelKeepsNeitherTimeNorActions) {
  ClearStoredSettings();
  {
    ScriptedQuickTimer dialog([](HWND d) {
      ::SetDlgItemTextA(d, IDC_QT_MINUTES, "45");
      Click(d, IDC_QT_EXECUTE);
      ::PostMessageA(d, WM_COMMAND, IDCANCEL, 0);
    });
    EXPECT_EQ(dialog.DoModal(), IDCANCEL);
  }
  ScriptedQuickTimer again([](HWND d) { ::PostMessageA(d, WM_COMMAND, IDCANCEL, 0); });
  again.DoModal();
  EXPECT_EQ(again.minutesShown, "3");
  EXPECT_FALSE(again.executeShown);
}

TEST(QuickTimerDialog, StartStoresTheChoices) {
  ClearStoredSettings();
  {
    ScriptedQuickTimer dialog([](HWND d) {
      ::SetDlgItemTextA(d, IDC_QT_MINUTES, "1.5");
      Click(d, IDC_QT_COUNTER);
      Click(d, IDC_QT_SOUND);
      ::SetDlgItemTextA(d, IDC_QT_WAVE, "C:\\bell.wav");
      ::SetDlgItemTextA(d, IDC_QT_SECONDS, "25");
      ::PostMessageA(::GetDlgItem(d, IDOK), BM_CLICK, 0, 0);
    });
    ASSERT_EQ(dialog.DoModal(), IDOK);
    EXPECT_EQ(dialog.settings().countdown.duration, 90000u);
    EXPECT_EQ(dialog.settings().soundTime.duration, 25000u);
    EXPECT_EQ(dialog.settings().flags, 0x2u | 0x4u);
    EXPECT_EQ(dialog.settings().wave, "C:\\bell.wav");
  }
  ScriptedQuickTimer again([](HWND d) { ::PostMessageA(d, WM_COMMAND, IDCANCEL, 0); });
  again.DoModal();
  EXPECT_EQ(again.minutesShown, "1.5");
  EXPECT_EQ(again.secondsShown, "25");
  EXPECT_FALSE(again.counterShown);
  EXPECT_TRUE(again.soundShown);
  ClearStoredSettings();
}

}  // namespace

namespace {

// The counter window's look is kept whatever button ends the dialog: it is the
// window's, not a choice of this start.
TEST(QuickTimerDialog, CancelKeepsAChangedCounterWindowFace) {
  ClearStoredSettings();
  {
    IniProfileStore store;
    store.DeleteSection("QuickTimerDlg");
    store.Flush();
  }
  UiScript script({UiScript::OnDialog("Display Setting", [](HWND d) {
    ::SetDlgItemTextA(d, IDC_FORMAT, "%T seconds");
    UiScript::Click(d, IDOK);
  })});
  {
    ScriptedQuickTimer dialog([](HWND d) {
      ::PostMessageA(::GetDlgItem(d, IDC_QT_COUNTER_SETTING), BM_CLICK, 0, 0);
    });
    // The script's step runs inside the face dialog; Cancel the QuickTimer dialog after it.
    const UINT_PTR cancel = ::SetTimer(nullptr, 0, 100, [](HWND, UINT, UINT_PTR, DWORD) {
      for (HWND w = ::FindWindowExA(nullptr, nullptr, "#32770", nullptr); w;
           w = ::FindWindowExA(nullptr, w, "#32770", nullptr)) {
        if (::GetDlgItem(w, IDC_QT_MINUTES) != nullptr && ::IsWindowEnabled(w))
          ::PostMessageA(w, WM_COMMAND, IDCANCEL, 0);
      }
    });
    EXPECT_EQ(dialog.DoModal(), IDCANCEL);
    ::KillTimer(nullptr, cancel);
  }
  EXPECT_TRUE(script.Done()) << "the display settings dialog was opened and confirmed";

  QuickTimerDialog again;
  EXPECT_EQ(again.settings().counterFace.format, "%T seconds");
  IniProfileStore store;
  EXPECT_EQ(store.GetString("QuickTimerDlg", "Format", ""), "%T seconds");
  store.DeleteSection("QuickTimerDlg");
  store.Flush();
  ClearStoredSettings();
}

// A QuickTimer that ends while the dialog is open saves where its windows
// were. However the dialog ends, that stays: the dialog writes no more than
// the look its user gave a face, and a QuickTimer it starts opens its windows
// where they were last.
TEST(QuickTimerDialog, KeepsWhereTheWindowsOfAQuickTimerThatEndedMeanwhileWere) {
  const struct {
    const char* name;
    bool editCounterFace;
    int button;
  } cases[] = {{"Cancel", false, IDCANCEL}, {"Start", false, IDOK}, {"Cancel after a new look", true, IDCANCEL}};
  for (const auto& c : cases) {
    ClearStoredSettings();
    {
      TimerAction before;
      before.counterFace.windowRect = RECT{10, 20, 310, 170};
      before.messageFace.windowRect = RECT{30, 40, 330, 190};
      ASSERT_TRUE(before.SaveFaces().ok());
    }
    UiScript script({UiScript::OnDialog("Display Setting", [](HWND d) {
      ::SetDlgItemTextA(d, IDC_FORMAT, "%T left");
      UiScript::Click(d, IDOK);
    })});
    static int s_button;
    s_button = c.button;
    ScriptedQuickTimer dialog([&c](HWND d) {
      // Meanwhile a running QuickTimer ends; its windows had been dragged.
      TimerAction ended;
      {
        IniProfileStore file;
        ended.TransferFaces(file, Transfer::Load);
      }
      ended.counterFace.windowRect = RECT{600, 500, 900, 650};
      ended.messageFace.windowRect = RECT{620, 520, 920, 670};
      ended.SaveFaces();
      if (c.editCounterFace) ::PostMessageA(::GetDlgItem(d, IDC_QT_COUNTER_SETTING), BM_CLICK, 0, 0);
      else ::PostMessageA(d, WM_COMMAND, s_button, 0);
    });
    const UINT_PTR end = c.editCounterFace ? ::SetTimer(nullptr, 0, 100, [](HWND, UINT, UINT_PTR, DWORD) {
      for (HWND w = ::FindWindowExA(nullptr, nullptr, "#32770", nullptr); w;
           w = ::FindWindowExA(nullptr, w, "#32770", nullptr)) {
        if (::GetDlgItem(w, IDC_QT_MINUTES) != nullptr && ::IsWindowEnabled(w)) ::PostMessageA(w, WM_COMMAND, s_button, 0);
      }
    }) : 0;
    EXPECT_EQ(dialog.DoModal(), c.button) << c.name;
    if (end != 0) ::KillTimer(nullptr, end);
    EXPECT_EQ(script.Done(), c.editCounterFace) << c.name;

    IniProfileStore store;
    EXPECT_EQ(store.GetInt("QuickTimerDlg", "left", -1), 600) << c.name << ": the counter window's place";
    EXPECT_EQ(store.GetInt("QuickTimerMsg", "top", -1), 520) << c.name << ": the message window's place";
    if (c.editCounterFace) EXPECT_EQ(store.GetString("QuickTimerDlg", "Format", ""), "%T left") << c.name;
    if (c.button == IDOK) {
      EXPECT_EQ(dialog.settings().counterFace.windowRect.left, 600) << c.name << ": the started QuickTimer's counter";
      EXPECT_EQ(dialog.settings().messageFace.windowRect.left, 620) << c.name;
    }
    store.DeleteSection("QuickTimerDlg");
    store.DeleteSection("QuickTimerMsg");
    store.Flush();
  }
  ClearStoredSettings();
}

}  // namespace
