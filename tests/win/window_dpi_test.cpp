#include "win/window_dpi.h"

#include <gtest/gtest.h>

#include <cstring>

#include "resource.h"
#include "win/unique_handle.h"

namespace {

struct DialogBehaviourCall {
  HWND dialog;
  int mask;
  int values;
};
DialogBehaviourCall lastDialogBehaviour{};
BOOL WINAPI RecordDialogBehaviour(HWND dialog, int mask, int values) {
  lastDialogBehaviour = {dialog, mask, values};
  return TRUE;
}

int ScreenDpi() {
  HDC screen = ::GetDC(nullptr);
  const int dpi = ::GetDeviceCaps(screen, LOGPIXELSX);
  ::ReleaseDC(nullptr, screen);
  return dpi;
}

TEST(WindowDpi, WithoutTheNewerFunctionsTheScreensDpiStandsForEveryWindow) {
  const WindowDpi bare(nullptr, nullptr, nullptr);
  EXPECT_FALSE(bare.HasWindowDpi());
  HWND window = ::CreateWindowExA(0, "STATIC", "dpi", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr,
                                  ::GetModuleHandleA(nullptr), nullptr);
  ASSERT_NE(window, nullptr);
  EXPECT_EQ(bare.ForSystem(), ScreenDpi());
  EXPECT_EQ(bare.ForWindow(window), ScreenDpi());
  EXPECT_EQ(bare.ForPoint(POINT{5, 5}), ScreenDpi());
  // System sizes are the system's at its DPI and scale from there.
  EXPECT_EQ(bare.SystemMetric(SM_CXSMICON, ScreenDpi()), ::GetSystemMetrics(SM_CXSMICON));
  EXPECT_EQ(bare.SystemMetric(SM_CXSMICON, ScreenDpi() * 2), 2 * ::GetSystemMetrics(SM_CXSMICON));
  LOGFONTW font{};
  font.lfHeight = -12;
  EXPECT_EQ(bare.SystemFontAt(font, ScreenDpi() * 3 / 2).lfHeight, -18);

  // The system's own functions agree on this machine's single display.
  const WindowDpi& system = WindowDpi::System();
  EXPECT_EQ(system.ForWindow(window), ScreenDpi());
  EXPECT_EQ(system.ForPoint(POINT{5, 5}), ScreenDpi());
  EXPECT_EQ(system.ForWindow(nullptr), system.ForSystem());
  ::DestroyWindow(window);
}

// The width of the image the resource holds for exactly `size` pixels; 0 when it has none.
int ExactImage(UINT id, int size) {
  HMODULE module = ::GetModuleHandleA(nullptr);
  HRSRC group = ::FindResourceA(module, MAKEINTRESOURCEA(id), reinterpret_cast<LPCSTR>(RT_GROUP_ICON));
  if (group == nullptr) return 0;
  auto* directory = static_cast<BYTE*>(::LockResource(::LoadResource(module, group)));
  const int found = ::LookupIconIdFromDirectoryEx(directory, TRUE, size, size, LR_DEFAULTCOLOR);
  HRSRC image = ::FindResourceA(module, MAKEINTRESOURCEA(found), reinterpret_cast<LPCSTR>(RT_ICON));
  if (image == nullptr) return 0;
  const auto* bytes = static_cast<const BYTE*>(::LockResource(::LoadResource(module, image)));
  if (std::memcmp(bytes, "\x89PNG", 4) == 0) {
    const int width = (bytes[16] << 24) | (bytes[17] << 16) | (bytes[18] << 8) | bytes[19];
    return width == size ? width : 0;
  }
  const auto* header = reinterpret_cast<const BITMAPINFOHEADER*>(bytes);
  return header->biWidth == size && header->biBitCount == 32 ? size : 0;
}

TEST(IconResources, EveryIconIsDrawnForEverySizeItIsShownAt) {
  // The program's icon: the window, the tray, Explorer, Alt+Tab, from 100 % to 400 %.
  for (int size : {16, 20, 24, 32, 40, 48, 64, 256}) EXPECT_EQ(ExactImage(IDI_VELTA, size), size) << size;
  // The menu pictures: 16 pixels at 96 DPI, up to 48 at 288.
  for (UINT id : {IDI_CHECK, IDI_QUICKTIMER, IDI_DATE_AND_CLOCK, IDI_EXIT, IDI_WINDOW_FRAME, IDI_TASKTRAY, IDI_TOPMOST,
                  IDI_VERSION, IDI_TRANSPARENT, IDI_MENU_ICONS, IDI_TIME_ADJUST, IDI_LAUNCHER, IDI_EXECUTE_ADJUST})
    for (int size : {16, 20, 24, 32, 40, 48}) EXPECT_EQ(ExactImage(id, size), size) << id << " at " << size;
  // The cell picture, one bitmap per size.
  const struct {
    UINT id;
    int size;
  } cells[] = {{IDB_CELLS, 16}, {IDB_CELLS_20, 20}, {IDB_CELLS_24, 24},
               {IDB_CELLS_32, 32}, {IDB_CELLS_40, 40}, {IDB_CELLS_48, 48}};
  for (const auto& c : cells) {
    BitmapHandle bitmap(::LoadBitmapA(::GetModuleHandleA(nullptr), MAKEINTRESOURCEA(c.id)));
    ASSERT_TRUE(bitmap) << c.size;
    BITMAP info{};
    ::GetObjectA(bitmap.get(), sizeof info, &info);
    EXPECT_EQ(info.bmWidth, c.size);
    EXPECT_EQ(info.bmHeight, c.size);
  }
}

TEST(WindowDpi, LoadsAnIconAtTheSizeAsked) {
  for (int size : {16, 20, 24, 28, 32, 48, 256}) {
    IconHandle icon(WindowDpi::System().LoadIconAt(::GetModuleHandleA(nullptr), IDI_VELTA, size));
    ASSERT_TRUE(icon) << size;
    ICONINFO info{};
    ASSERT_TRUE(::GetIconInfo(icon.get(), &info));
    BITMAP bitmap{};
    ::GetObjectA(info.hbmColor ? info.hbmColor : info.hbmMask, sizeof bitmap, &bitmap);
    EXPECT_EQ(bitmap.bmWidth, size);
    if (info.hbmColor) ::DeleteObject(info.hbmColor);
    if (info.hbmMask) ::DeleteObject(info.hbmMask);
  }
}

// The dialog manager keeps its hands off the window's size and nothing else: it still gives
// the controls their font and place at the new DPI (DDC_DISABLE_RESIZE alone, never
// DDC_DISABLE_ALL). Where the system has no such function nothing is asked.
TEST(WindowDpi, KeepDialogSizeTurnsOffOnlyTheDialogManagersResize) {
  HWND dialog = reinterpret_cast<HWND>(0x4242);
  const WindowDpi recording(nullptr, nullptr, nullptr, &RecordDialogBehaviour);
  lastDialogBehaviour = {};
  EXPECT_TRUE(recording.KeepDialogSize(dialog));
  EXPECT_EQ(lastDialogBehaviour.dialog, dialog);
  EXPECT_EQ(lastDialogBehaviour.mask, 0x2);
  EXPECT_EQ(lastDialogBehaviour.values, 0x2);
  lastDialogBehaviour = {};
  EXPECT_FALSE(recording.KeepDialogSize(nullptr));
  EXPECT_EQ(lastDialogBehaviour.dialog, nullptr) << "no window, no call";

  const WindowDpi bare(::GetModuleHandleA("KERNEL32"), nullptr, nullptr);
  EXPECT_FALSE(bare.KeepDialogSize(dialog));
}

}  // namespace
