// The time-adjustment dialog driven by messages under Wine.
#include "timesync/time_adjust_dialog.h"

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "face/face_options.h"
#include "timesync/time_adjust_settings.h"
#include "resource.h"

namespace {

// Types into the fields once the dialog is up, then presses a button. A
// refusal is recorded instead of shown, and the dialog is then cancelled.
class TypedDialog : public TimeAdjustDialog {
 public:
  std::function<void(HWND)> type;
  int press = IDOK;
  std::vector<std::string> refusals;
  int focusAtEnd = 0;

 protected:
  BOOL OnInitDialog() override {
    TimeAdjustDialog::OnInitDialog();
    if (type) type(hwnd());
    ::PostMessageA(hwnd(), WM_COMMAND, MAKEWPARAM(press, BN_CLICKED), reinterpret_cast<LPARAM>(Item(press)));
    return TRUE;
  }
  void ShowValidationMessage(const std::string& text) override {
    refusals.push_back(text);
    ::PostMessageA(hwnd(), WM_COMMAND, MAKEWPARAM(IDCANCEL, BN_CLICKED), reinterpret_cast<LPARAM>(Item(IDCANCEL)));
  }
  void OnCancel() override {
    focusAtEnd = ::GetDlgCtrlID(::GetFocus());
    TimeAdjustDialog::OnCancel();
  }
};

TEST(TimeAdjustDialog, ChecksRetryThenTimeoutAgainstTheirRanges) {
  struct Case {
    const char* timeout;
    const char* retry;
    const char* refusal;  // nullptr: accepted
    int field;
    std::uint32_t timeoutMs;
    std::uint32_t retries;
  };
  const Case cases[] = {
      {"500", "1", nullptr, 0, 500, 1},
      {"10000", "10", nullptr, 0, 10000, 10},
      {" 750 ", "4", nullptr, 0, 750, 4},
      {"499", "3", "Please enter an integer between 500 and 10000.", IDC_ADJUST_TIMEOUT, 0, 3},
      {"10001", "3", "Please enter an integer between 500 and 10000.", IDC_ADJUST_TIMEOUT, 0, 3},
      {"5000", "0", "Please enter an integer between 1 and 10.", IDC_ADJUST_RETRY, 0, 0},
      {"5000", "11", "Please enter an integer between 1 and 10.", IDC_ADJUST_RETRY, 0, 0},
      {"99999999999999999999", "3", "Please enter an integer between 500 and 10000.", IDC_ADJUST_TIMEOUT, 0, 3},
      {"5s", "3", "Please enter a positive integer.", IDC_ADJUST_TIMEOUT, 0, 3},
      {"-1", "3", "Please enter a positive integer.", IDC_ADJUST_TIMEOUT, 0, 3},
      {"5000", "", "Please enter a positive integer.", IDC_ADJUST_RETRY, 0, 0},
      {"", "x", "Please enter a positive integer.", IDC_ADJUST_RETRY, 0, 0},
  };
  for (const Case& c : cases) {
    const std::string label = std::string("timeout '") + c.timeout + "' retry '" + c.retry + "'";
    TypedDialog dialog;
    dialog.timeoutMs = 1234;
    dialog.retries = 5;
    dialog.type = [&c](HWND w) {
      ::SetDlgItemTextA(w, IDC_ADJUST_TIMEOUT, c.timeout);
      ::SetDlgItemTextA(w, IDC_ADJUST_RETRY, c.retry);
    };
    const INT_PTR result = dialog.DoModal();
    if (c.refusal == nullptr) {
      EXPECT_EQ(result, IDOK) << label;
      EXPECT_TRUE(dialog.refusals.empty()) << label;
      EXPECT_EQ(dialog.timeoutMs, c.timeoutMs) << label;
      EXPECT_EQ(dialog.retries, c.retries) << label;
    } else {
      EXPECT_EQ(result, IDCANCEL) << label << ": the dialog stays open";
      ASSERT_EQ(dialog.refusals.size(), 1u) << label;
      EXPECT_EQ(dialog.refusals[0], c.refusal) << label;
      EXPECT_EQ(dialog.focusAtEnd, c.field) << label << ": the refused field has the focus";
      EXPECT_EQ(dialog.timeoutMs, 1234u) << label;
    }
  }
}

TEST(TimeAdjustDialog, ShowsItsValuesAndOffersTheDefaultServer) {
  TypedDialog dialog;
  dialog.server = "10.1.2.3";
  dialog.port = "ntp";
  dialog.timeoutMs = 2500;
  dialog.retries = 2;
  dialog.adjustMessage = true;
  std::string server, port, timeout, retry, preset;
  UINT atStart = 9, message = 9;
  LRESULT presets = 0;
  dialog.type = [&](HWND w) {
    char text[256];
    ::GetDlgItemTextA(w, IDC_ADJUST_SERVER, text, sizeof text), server = text;
    ::GetDlgItemTextA(w, IDC_ADJUST_PORT, text, sizeof text), port = text;
    ::GetDlgItemTextA(w, IDC_ADJUST_TIMEOUT, text, sizeof text), timeout = text;
    ::GetDlgItemTextA(w, IDC_ADJUST_RETRY, text, sizeof text), retry = text;
    presets = ::SendDlgItemMessageA(w, IDC_ADJUST_SERVER, CB_GETCOUNT, 0, 0);
    ::SendDlgItemMessageA(w, IDC_ADJUST_SERVER, CB_GETLBTEXT, 0, reinterpret_cast<LPARAM>(text)), preset = text;
    atStart = ::IsDlgButtonChecked(w, IDC_ADJUST_AT_START);
    message = ::IsDlgButtonChecked(w, IDC_ADJUST_MESSAGE);
  };
  dialog.press = IDCANCEL;
  dialog.DoModal();
  EXPECT_EQ(server, "10.1.2.3");
  EXPECT_EQ(port, "ntp");
  EXPECT_EQ(timeout, "2500");
  EXPECT_EQ(retry, "2");
  EXPECT_EQ(presets, 1);
  EXPECT_EQ(preset, "pool.ntp.org");
  EXPECT_EQ(atStart, static_cast<UINT>(BST_UNCHECKED));
  EXPECT_EQ(message, static_cast<UINT>(BST_CHECKED));
}

TEST(TimeAdjustDialog, TheStartUpCheckBoxRunsTheChecks) {
  TypedDialog dialog;
  dialog.type = [](HWND w) {
    ::SetDlgItemTextA(w, IDC_ADJUST_TIMEOUT, "20");
    ::SendDlgItemMessageA(w, IDC_ADJUST_AT_START, BM_CLICK, 0, 0);
  };
  dialog.press = IDCANCEL;
  dialog.DoModal();
  ASSERT_EQ(dialog.refusals.size(), 1u);
  EXPECT_EQ(dialog.refusals[0], "Please enter an integer between 500 and 10000.");
  EXPECT_TRUE(dialog.adjustAtStart) << "the check box was taken before the refusal";
}

// ShowTimeAdjustDialog builds its own dialog: reach it through a timer of this thread.
std::function<void(HWND)> g_onDialog;
void CALLBACK FindDialog(HWND, UINT, UINT_PTR id, DWORD) {
  HWND dialog = ::GetActiveWindow();
  char cls[32] = {};
  if (dialog == nullptr || !::GetClassNameA(dialog, cls, sizeof cls) || std::string(cls) != "#32770") return;
  ::KillTimer(nullptr, id);
  g_onDialog(dialog);
}

bool RunShowTimeAdjustDialog(TimeAdjustSettings& settings, TimeAdjustOptions& option, std::function<void(HWND)> onDialog) {
  g_onDialog = std::move(onDialog);
  const UINT_PTR timer = ::SetTimer(nullptr, 0, 50, FindDialog);
  const bool ok = ShowTimeAdjustDialog(settings, option);
  ::KillTimer(nullptr, timer);
  return ok;
}

TEST(ShowTimeAdjustDialog, OkTakesBothBitsAndAllFourValues) {
  TimeAdjustSettings settings;
  TimeAdjustOptions option;
  const bool ok = RunShowTimeAdjustDialog(settings, option, [](HWND w) {
    ::SetDlgItemTextA(w, IDC_ADJUST_SERVER, "192.168.7.7");
    ::SetDlgItemTextA(w, IDC_ADJUST_PORT, "1123");
    ::SetDlgItemTextA(w, IDC_ADJUST_TIMEOUT, "800");
    ::SetDlgItemTextA(w, IDC_ADJUST_RETRY, "9");
    ::CheckDlgButton(w, IDC_ADJUST_AT_START, BST_CHECKED);
    ::CheckDlgButton(w, IDC_ADJUST_MESSAGE, BST_CHECKED);
    ::PostMessageA(w, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), reinterpret_cast<LPARAM>(::GetDlgItem(w, IDOK)));
  });
  ASSERT_TRUE(ok);
  EXPECT_EQ(option, (TimeAdjustOptions{true, true}));
  EXPECT_EQ(settings.server, "192.168.7.7");
  EXPECT_EQ(settings.port, "1123");
  EXPECT_EQ(settings.timeoutMs, 800);
  EXPECT_EQ(settings.retries, 9);

  // Clearing both boxes clears both bits and nothing else.
  ASSERT_TRUE(RunShowTimeAdjustDialog(settings, option, [](HWND w) {
    ::CheckDlgButton(w, IDC_ADJUST_AT_START, BST_UNCHECKED);
    ::CheckDlgButton(w, IDC_ADJUST_MESSAGE, BST_UNCHECKED);
    ::PostMessageA(w, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), reinterpret_cast<LPARAM>(::GetDlgItem(w, IDOK)));
  }));
  EXPECT_EQ(option, (TimeAdjustOptions{false, false}));
  EXPECT_EQ(settings.server, "192.168.7.7");
}

TEST(ShowTimeAdjustDialog, CancelChangesNothing) {
  TimeAdjustSettings settings;
  const TimeAdjustSettings before = settings;
  TimeAdjustOptions option{false, true};
  const bool ok = RunShowTimeAdjustDialog(settings, option, [](HWND w) {
    ::SetDlgItemTextA(w, IDC_ADJUST_SERVER, "changed.example");
    ::SetDlgItemTextA(w, IDC_ADJUST_PORT, "999");
    ::SetDlgItemTextA(w, IDC_ADJUST_TIMEOUT, "700");
    ::SetDlgItemTextA(w, IDC_ADJUST_RETRY, "1");
    ::CheckDlgButton(w, IDC_ADJUST_AT_START, BST_CHECKED);
    ::CheckDlgButton(w, IDC_ADJUST_MESSAGE, BST_UNCHECKED);
    ::PostMessageA(w, WM_COMMAND, MAKEWPARAM(IDCANCEL, BN_CLICKED), reinterpret_cast<LPARAM>(::GetDlgItem(w, IDCANCEL)));
  });
  EXPECT_FALSE(ok);
  EXPECT_EQ(settings, before);
  EXPECT_EQ(option, (TimeAdjustOptions{false, true}));
}

}  // namespace
