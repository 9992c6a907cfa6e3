// What screen readers get from the clock and counter windows, asked the way they ask:
// AccessibleObjectFromWindow for the client area, its name, and the name-change event.
#include <windows.h>
#include <oleacc.h>

#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "app/clock_window_fixture.h"
#include "quicktimer/running_timer.h"
#include "quicktimer/timer_action.h"
#include "quicktimer/timer_action_state.h"
#include "win/accessible_text.h"
#include "win/wide_text.h"

namespace {

using FromWindowFn = HRESULT(WINAPI*)(HWND, DWORD, REFIID, void**);

FromWindowFn FromWindow() {
  static HMODULE dll = ::LoadLibraryW(L"oleacc.dll");
  return dll ? reinterpret_cast<FromWindowFn>(reinterpret_cast<void*>(::GetProcAddress(dll, "AccessibleObjectFromWindow")))
             : nullptr;
}

struct Client {
  IAccessible* object = nullptr;
  explicit Client(HWND window) {
    if (FromWindow() == nullptr ||
        FAILED(FromWindow()(window, static_cast<DWORD>(OBJID_CLIENT), __uuidof(IAccessible),
                            reinterpret_cast<void**>(&object))))
      object = nullptr;
  }
  ~Client() {
    if (object) object->Release();
  }
  Client(const Client&) = delete;
  Client& operator=(const Client&) = delete;
  // The name as UTF-8; `ok` false when the object would not say.
  std::string Name(bool* ok = nullptr) const {
    VARIANT self;
    self.vt = VT_I4;
    self.lVal = CHILDID_SELF;
    BSTR name = nullptr;
    const HRESULT hr = object->get_accName(self, &name);
    if (ok) *ok = hr == S_OK;
    std::string text = name ? WideText::ToUtf8(std::wstring_view(name, ::SysStringLen(name))) : std::string();
    ::SysFreeString(name);
    return text;
  }
};

// Name changes of client areas, as an out-of-context listener hears them.
struct NameChanges {
  static inline int count = 0;
  static inline HWND window = nullptr;
  HWINEVENTHOOK hook;
  explicit NameChanges(HWND w) {
    count = 0;
    window = w;
    hook = ::SetWinEventHook(EVENT_OBJECT_NAMECHANGE, EVENT_OBJECT_NAMECHANGE, nullptr, &Heard, 0, 0,
                             WINEVENT_OUTOFCONTEXT);
  }
  ~NameChanges() {
    if (hook) ::UnhookWinEvent(hook);
  }
  static void CALLBACK Heard(HWINEVENTHOOK, DWORD, HWND w, LONG object, LONG child, DWORD, DWORD) {
    if (w == window && object == OBJID_CLIENT && child == CHILDID_SELF) ++count;
  }
  static void Pump() {
    MSG msg;
    const DWORD until = ::GetTickCount() + 200;
    while (static_cast<LONG>(until - ::GetTickCount()) > 0) {
      while (::PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) ::DispatchMessageW(&msg);
      ::Sleep(10);
    }
  }
};

class ClockWindowAccessibility : public ClockWindowFixture {
 protected:
  // The text the face shows at this moment (the one it drew, unless a second turned meanwhile).
  std::string ShownNow() { return window_.face().ExpandText(ClockFace::LocalNow(), ::GetTickCount()); }
};

TEST_F(ClockWindowAccessibility, TheClientAreaIsNamedWithTheShownTimeAndTheTitleStays) {
  const std::string title = WideText::OfWindow(hwnd());
  window_.face().format = "%H:%M:%S";
  const std::string before = ShownNow();
  Paint();
  const std::string after = ShownNow();
  Client client(hwnd());
  ASSERT_NE(client.object, nullptr) << "AccessibleObjectFromWindow gives the client area";
  bool ok = false;
  const std::string name = client.Name(&ok);
  ASSERT_TRUE(ok);
  EXPECT_TRUE(name == before || name == after) << name << " shown between " << before << " and " << after;
  EXPECT_EQ(WideText::OfWindow(hwnd()), title) << "programs that find the clock by its title still do";

  // A second later the name is the new time, and listeners were told.
  NameChanges changes(hwnd());
  ::Sleep(1100);
  Paint();
  NameChanges::Pump();
  EXPECT_NE(client.Name(), name) << "the name follows the shown seconds";
  EXPECT_GE(NameChanges::count, 1) << "EVENT_OBJECT_NAMECHANGE raised";

  // A paint that shows the same text tells nobody.
  window_.face().format = "%Y";
  Paint();
  NameChanges::Pump();
  const int told = NameChanges::count;
  Paint();
  NameChanges::Pump();
  EXPECT_EQ(NameChanges::count, told);
  EXPECT_EQ(client.Name(), ShownNow());
}

TEST_F(ClockWindowAccessibility, TheNameIsTheTextAsDrawnAndGoesWithTheWindow) {
  window_.face().format = "Tea & 5&&6 &x";
  Paint();
  Client client(hwnd());
  ASSERT_NE(client.object, nullptr);
  EXPECT_EQ(client.Name(), "Tea  5&6 x") << "DrawText's prefixes: '&' underlines the next character, '&&' is one";
  ::DestroyWindow(hwnd());
  bool ok = true;
  client.Name(&ok);
  EXPECT_FALSE(ok) << "a client holding the object after the window went is told so";
}

TEST(AccessibleTextPrefixes, AsDrawTextShowsThem) {
  const struct {
    const wchar_t* drawn;
    const wchar_t* shown;
  } cases[] = {
      {L"", L""}, {L"12:34", L"12:34"}, {L"&File", L"File"}, {L"A&&B", L"A&B"},
      {L"&&&x", L"&x"}, {L"end&", L"end"}, {L"two\r\nlines", L"two\r\nlines"},
  };
  for (const auto& c : cases) EXPECT_EQ(AccessibleText::WithoutPrefixes(c.drawn), c.shown) << WideText::ToUtf8(c.drawn);
}

TEST_F(ClockWindowAccessibility, ACounterWindowIsNamedWithItsTimeLeft) {
  TimerAction settings;
  settings.flags = TimerActionState::kCounterWindow;
  settings.countdown.duration = 600000;
  window_.quickTimers().Add(std::make_unique<RunningTimer>(settings, ::GetTickCount()));
  ::SendMessageW(hwnd(), WM_TIMER, ClockWindow::kPollTimer, 0);
  HWND counter = window_.quickTimers().running()[0]->windowHandle(ActionHost::kCounter);
  ASSERT_TRUE(::IsWindow(counter));
  ::RedrawWindow(counter, nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW);
  Client client(counter);
  ASSERT_NE(client.object, nullptr);
  const std::string name = client.Name();
  EXPECT_TRUE(name == "Remaining 9 minutes and 59 seconds !" || name == "Remaining 10 minutes and 0 seconds !")
      << name;
}

}  // namespace
