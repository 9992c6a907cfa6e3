#include "app/tray_icon.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>

namespace {

TEST(TrayIcon, AddRecordCarriesIconCallbackAndTip) {
  HWND window = reinterpret_cast<HWND>(0x1234);
  HICON icon = reinterpret_cast<HICON>(0x5678);
  const NOTIFYICONDATAA add = TrayIcon::Record(window, icon, TrayIcon::kCallbackMessage, "Velta", true, 1);
  EXPECT_EQ(add.cbSize, static_cast<DWORD>(NOTIFYICONDATAA_V1_SIZE));
  EXPECT_EQ(add.cbSize, static_cast<DWORD>(offsetof(NOTIFYICONDATAA, szTip) + 64)) << "ends with the 64-byte tip";
  EXPECT_EQ(add.hWnd, window);
  EXPECT_EQ(add.uID, 1u);
  EXPECT_EQ(add.uFlags, static_cast<UINT>(NIF_ICON | NIF_MESSAGE | NIF_TIP));
  EXPECT_EQ(add.uCallbackMessage, 0x0410u);
  EXPECT_EQ(add.hIcon, icon);
  EXPECT_STREQ(add.szTip, "Velta");

  const NOTIFYICONDATAA bare = TrayIcon::Record(window, icon, 0, nullptr, true, 1);
  EXPECT_EQ(bare.uFlags, static_cast<UINT>(NIF_ICON));

  const NOTIFYICONDATAA remove = TrayIcon::Record(window, icon, TrayIcon::kCallbackMessage, "Velta", false, 1);
  EXPECT_EQ(remove.cbSize, static_cast<DWORD>(NOTIFYICONDATAA_V1_SIZE));
  EXPECT_EQ(remove.hWnd, window);
  EXPECT_EQ(remove.uID, 1u);
  EXPECT_EQ(remove.uFlags, 0u);
  EXPECT_EQ(remove.uCallbackMessage, 0u);
  EXPECT_EQ(remove.hIcon, nullptr);
  EXPECT_STREQ(remove.szTip, "");
}

TEST(TrayIcon, LongNamesAreCutToSixtyTwoCharacters) {
  for (std::size_t length : {61u, 62u, 63u, 70u, 300u}) {
    const std::string name(length, 'n');
    const NOTIFYICONDATAA add = TrayIcon::Record(nullptr, nullptr, 0, name.c_str(), true, 1);
    EXPECT_EQ(std::strlen(add.szTip), std::min<std::size_t>(length, 62)) << length;
  }
}

TEST(TrayIcon, AddsAndDeletesThroughTheShell) {
  HWND window = ::CreateWindowExA(0, "STATIC", "tray test", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr,
                                  ::GetModuleHandleA(nullptr), nullptr);
  ASSERT_NE(window, nullptr);
  HICON icon = ::LoadIconA(nullptr, reinterpret_cast<LPCSTR>(IDI_APPLICATION));
  EXPECT_TRUE(TrayIcon::Tray(window, icon, TrayIcon::kCallbackMessage, "tray test", true));
  EXPECT_TRUE(TrayIcon::Tray(window, icon, TrayIcon::kCallbackMessage, nullptr, false));
  EXPECT_FALSE(TrayIcon::Tray(window, icon, TrayIcon::kCallbackMessage, nullptr, false)) << "already gone";
  ::DestroyWindow(window);
}

}  // namespace
