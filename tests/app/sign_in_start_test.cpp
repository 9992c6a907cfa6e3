#include "app/sign_in_start.h"

#include <objbase.h>
#include <shobjidl.h>

#include <gtest/gtest.h>

#include <string>

#include "app/clock_app.h"
#include "win/com_apartment.h"

namespace {

// A Startup folder of the test's own, so the prefix's real one is never touched.
class SignInStartTest : public ::testing::Test {
 protected:
  void SetUp() override {
    wchar_t temp[MAX_PATH];
    ::GetTempPathW(MAX_PATH, temp);
    folder_ = std::wstring(temp) + L"velta-sign-in-" + std::to_wstring(::GetCurrentProcessId());
    ::CreateDirectoryW(folder_.c_str(), nullptr);
    wchar_t exe[MAX_PATH];
    ::GetModuleFileNameW(nullptr, exe, MAX_PATH);
    exe_ = exe;
  }
  void TearDown() override {
    ::DeleteFileW((folder_ + L"\\VELTA.lnk").c_str());
    ::RemoveDirectoryW(folder_.c_str());
  }

  // What the shortcut starts, read back through the shell.
  static std::wstring TargetOf(const std::wstring& shortcut) {
    IShellLinkW* link = nullptr;
    if (FAILED(::CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkW,
                                  reinterpret_cast<void**>(&link))))
      return {};
    IPersistFile* file = nullptr;
    wchar_t target[MAX_PATH] = L"";
    if (SUCCEEDED(link->QueryInterface(IID_IPersistFile, reinterpret_cast<void**>(&file)))) {
      if (SUCCEEDED(file->Load(shortcut.c_str(), STGM_READ))) link->GetPath(target, MAX_PATH, nullptr, 0);
      file->Release();
    }
    link->Release();
    return target;
  }

  ComApartment com_;
  std::wstring folder_;
  std::wstring exe_;
};

// A zip copy (no product) and a copy whose product the installer does not know (its change
// fails): either way the shortcut itself follows the menu.
TEST_F(SignInStartTest, OnMakesTheShortcutToThisProgramAndOffDeletesIt) {
  for (const wchar_t* product : {L"", L"{00000000-0000-0000-0000-000000000001}"}) {
    SignInStart start(folder_, exe_, product);
    EXPECT_EQ(start.shortcutPath(), folder_ + L"\\VELTA.lnk");
    EXPECT_FALSE(start.IsOn());
    ASSERT_TRUE(start.Set(true)) << product;
    EXPECT_TRUE(start.IsOn());
    EXPECT_EQ(::CompareStringOrdinal(TargetOf(start.shortcutPath()).c_str(), -1, exe_.c_str(), -1, TRUE),
              CSTR_EQUAL);
    EXPECT_TRUE(start.Set(true)) << "on again stays on";
    ASSERT_TRUE(start.Set(false)) << product;
    EXPECT_FALSE(start.IsOn());
    EXPECT_EQ(::GetFileAttributesW(start.shortcutPath().c_str()), INVALID_FILE_ATTRIBUTES);
    EXPECT_TRUE(start.Set(false)) << "off again stays off";
  }
}

// The installer's shortcut is the same file: the menu sees it, and turning it off removes it.
TEST_F(SignInStartTest, SeesAShortcutSomeoneElseMade) {
  SignInStart start(folder_, exe_, L"");
  HANDLE made = ::CreateFileW(start.shortcutPath().c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW, 0, nullptr);
  ASSERT_NE(made, INVALID_HANDLE_VALUE);
  ::CloseHandle(made);
  EXPECT_TRUE(start.IsOn());
  EXPECT_TRUE(start.Set(false));
  EXPECT_FALSE(start.IsOn());
}

TEST_F(SignInStartTest, NoStartupFolderIsNeverOnAndCannotBeSet) {
  SignInStart start(L"", exe_, L"");
  EXPECT_FALSE(start.IsOn());
  EXPECT_FALSE(start.Set(true));
}

TEST_F(SignInStartTest, AFolderNoInstalledProductHoldsIsAZipCopy) {
  EXPECT_EQ(SignInStart::InstalledProductIn(folder_ + L"\\"), L"");
  EXPECT_EQ(SignInStart::InstalledProductIn(L""), L"");
}

// The registration Windows keeps for an installer's Restart Manager: no arguments, and every
// exclusion but the one that matters (RESTART_NO_PATCH would keep the clock away after an upgrade).
struct Registration {
  static inline bool called = false;
  static inline bool noArguments = false;
  static inline DWORD flags = 0;
  static HRESULT WINAPI Record(PCWSTR commandLine, DWORD registered) {
    called = true;
    noArguments = commandLine == nullptr || *commandLine == L'\0';
    flags = registered;
    return S_OK;
  }
};

TEST(ClockAppRestart, RegistersToComeBackAfterAnUpdateOnly) {
  ASSERT_EQ(ClockApp::RegisterForRestart(&Registration::Record), S_OK);
  ASSERT_TRUE(Registration::called);
  EXPECT_TRUE(Registration::noArguments);
  EXPECT_EQ(Registration::flags & RESTART_NO_PATCH, 0u);
  EXPECT_EQ(Registration::flags, static_cast<DWORD>(RESTART_NO_CRASH | RESTART_NO_HANG | RESTART_NO_REBOOT));
  EXPECT_EQ(ClockApp::RegisterForRestart(), S_OK) << "the system's own registration";
}

}  // namespace
