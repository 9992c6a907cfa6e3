#include "app/icon_menu.h"

#include <cstdlib>
#include <iterator>
#include <memory>
#include <vector>

#include "win/unique_handle.h"
#include "win/wide_text.h"
#include "win/window_dpi.h"

namespace {

struct SharedImage {
  HANDLE handle = nullptr;
  UINT drawType = DST_ICON;  // DST_ICON or DST_BITMAP
  void Free() {
    if (handle == nullptr) return;
    if (drawType == DST_BITMAP) ::DeleteObject(static_cast<HBITMAP>(handle));
    else ::DestroyIcon(static_cast<HICON>(handle));
    handle = nullptr;
  }
};

struct Shared {
  std::vector<std::unique_ptr<IconMenuItem>>* items = nullptr;
  int live = 0;
  SharedImage check;
  SharedImage radio;  // never set by this application: a drawn dot takes its place
};

Shared& shared() {
  static Shared state;
  return state;
}

constexpr UINT kTextFlags = DT_NOCLIP | DT_EXPANDTABS | DT_SINGLELINE | DT_VCENTER;

// The menu font of the system at the menu's DPI, or the GUI font when the metrics cannot be read.
FontHandle MenuFont(DpiScale scale) {
  NONCLIENTMETRICSW metrics{};
  metrics.cbSize = sizeof(metrics);
  LOGFONTW font{};
  if (::SystemParametersInfoW(SPI_GETNONCLIENTMETRICS, sizeof(metrics), &metrics, 0)) font = metrics.lfMenuFont;
  else ::GetObjectW(::GetStockObject(DEFAULT_GUI_FONT), sizeof(font), &font);
  const LOGFONTW scaled = WindowDpi::System().SystemFontAt(font, scale.dpi());
  return FontHandle(::CreateFontIndirectW(&scaled));
}

// An item's UTF-8 text drawn wide, so that characters the menu font lacks (Japanese item texts
// in a Western menu font) are drawn from a font that has them, as the system does for its own menus.
// With DT_HIDEPREFIX the "&" marks are taken out here and the rest drawn as it is: the text
// lies exactly where it lies with its underline, on systems that draw the underline regardless.
int DrawMenuText(HDC dc, const char* text, int length, RECT* rect, UINT flags) {
  std::wstring wide = WideText::From(std::string_view(text, length > 0 ? static_cast<std::size_t>(length) : 0));
  if ((flags & DT_HIDEPREFIX) && !(flags & DT_NOPREFIX)) {
    std::wstring shown;
    for (std::size_t i = 0; i < wide.size(); ++i) {
      if (wide[i] == L'&' && i + 1 < wide.size()) ++i;  // "&x" shows x, "&&" one "&"
      shown += wide[i];
    }
    wide = std::move(shown);
    flags = (flags & ~DT_HIDEPREFIX) | DT_NOPREFIX;
  }
  return ::DrawTextW(dc, wide.c_str(), static_cast<int>(wide.size()), rect, flags);
}

// Position of the tab that starts an accelerator text; npos when there is none.
std::size_t AcceleratorTab(const std::string& text) {
  const std::size_t tab = text.find('\t');
  return (tab != std::string::npos && tab > 0) ? tab : std::string::npos;
}

// A picture at its own size (the menu's picture size), at the left of the box and
// centred in its height: a picture drawn at any other size would be blurred.
void DrawImage(HDC dc, const RECT& box, HANDLE image, UINT drawType, int size, UINT extra) {
  const int top = box.top + (box.bottom - box.top - size) / 2;
  ::DrawStateW(dc, nullptr, nullptr, reinterpret_cast<LPARAM>(image), 0, box.left, top, size, size, drawType | extra);
}

void DrawPicture(HDC dc, const RECT& box, const IconMenuItem& item, int size, UINT extra) {
  if (!item.HasPicture()) return;
  const UINT type = item.kind() == IconMenuItem::Picture::kBitmap ? DST_BITMAP : DST_ICON;
  DrawImage(dc, box, item.picture(), type, size, extra);
}

void DrawItemText(HDC dc, const RECT& area, const std::string& text, int acceleratorWidth, UINT extra = 0) {
  const std::size_t tab = AcceleratorTab(text);
  RECT r = area;
  if (tab == std::string::npos) {
    DrawMenuText(dc, text.data(), static_cast<int>(text.size()), &r, kTextFlags | extra);
    return;
  }
  DrawMenuText(dc, text.data(), static_cast<int>(tab), &r, kTextFlags | DT_LEFT | extra);
  RECT accelerator = area;
  accelerator.left = area.right - acceleratorWidth;
  DrawMenuText(dc, text.data() + tab + 1, static_cast<int>(text.size() - tab - 1), &accelerator,
              kTextFlags | DT_LEFT | extra);
}

// The key that chooses an item: the character after its "&" ("&&" is a plain "&"), or else
// its first character, as the system takes them for items it draws itself. 0 when it has none.
wchar_t AccessKey(const std::string& text) {
  const std::size_t tab = AcceleratorTab(text);
  const std::wstring wide = WideText::From(std::string_view(text).substr(0, tab));
  for (std::size_t i = 0; i + 1 < wide.size(); ++i) {
    if (wide[i] != L'&') continue;
    if (wide[i + 1] != L'&') return wide[i + 1];
    ++i;
  }
  return wide.empty() ? 0 : wide[0];
}

// Of the colours text is drawn in on menus and buttons, the one that stands out most from `ground`.
COLORREF MostContrasting(COLORREF ground) {
  auto light = [](COLORREF c) { return 299 * GetRValue(c) + 587 * GetGValue(c) + 114 * GetBValue(c); };
  COLORREF best = ::GetSysColor(COLOR_BTNTEXT);
  if (ground == CLR_INVALID) return best;
  for (int element : {COLOR_BTNTEXT, COLOR_MENUTEXT, COLOR_MENU, COLOR_BTNFACE}) {
    const COLORREF c = ::GetSysColor(element);
    if (std::abs(light(c) - light(ground)) > std::abs(light(best) - light(ground))) best = c;
  }
  return best;
}

wchar_t FoldCase(wchar_t c) {
  return static_cast<wchar_t>(reinterpret_cast<ULONG_PTR>(::CharUpperW(reinterpret_cast<LPWSTR>(static_cast<ULONG_PTR>(c)))));
}

}  // namespace

IconMenu::IconMenu(DpiScale scale) : scale_(scale), metrics_(scale) {
  Shared& s = shared();
  if (s.items == nullptr) s.items = new std::vector<std::unique_ptr<IconMenuItem>>();
  ++s.live;
}

IconMenu::~IconMenu() {
  Shared& s = shared();
  if (--s.live == 0) {
    s.check.Free();
    s.radio.Free();
    delete s.items;  // each record frees the picture it owns
    s.items = nullptr;
  }
  if (menu_ != nullptr) ::DestroyMenu(menu_);
}

void IconMenu::MakeOwnerDrawn() {
  if (menu_ != nullptr) Convert(menu_);
}

void IconMenu::Convert(HMENU menu) {
  auto& items = *shared().items;
  for (int position = 0; position < ::GetMenuItemCount(menu); ++position) {
    wchar_t wide[64] = {};
    ::GetMenuStringW(menu, static_cast<UINT>(position), wide, static_cast<int>(std::size(wide)), MF_BYPOSITION);
    const std::string text = WideText::ToUtf8(wide);
    MENUITEMINFOW info{};
    info.cbSize = sizeof(info);
    info.fMask = MIIM_STATE | MIIM_ID | MIIM_SUBMENU | MIIM_CHECKMARKS | MIIM_TYPE | MIIM_DATA;
    if (!::GetMenuItemInfoW(menu, static_cast<UINT>(position), TRUE, &info)) continue;
    if (info.fType & (MFT_SEPARATOR | MFT_OWNERDRAW)) continue;

    IconMenuItem* record = nullptr;
    if (info.hSubMenu != nullptr) {
      ++depth_;
      Convert(info.hSubMenu);
      --depth_;
      for (auto& r : items)
        if (r->text == text) { record = r.get(); break; }
    } else {
      record = FindItem(info.wID);
    }
    if (record == nullptr) {
      items.push_back(std::make_unique<IconMenuItem>(text, info.wID));
      record = items.back().get();
      record->submenu = info.hSubMenu != nullptr;
    }
    record->command = info.wID;

    UINT flags = MF_BYPOSITION | MF_OWNERDRAW | (info.fState & (MF_CHECKED | MF_GRAYED | MF_DISABLED));
    UINT_PTR id = info.wID;
    if (info.hSubMenu != nullptr) {  // the item keeps its submenu
      flags |= MF_POPUP;
      id = reinterpret_cast<UINT_PTR>(info.hSubMenu);
    }
    ::ModifyMenuW(menu, static_cast<UINT>(position), flags, id, reinterpret_cast<LPCWSTR>(record->itemData()));
  }
}

bool IconMenu::SetCheckImage(UINT resourceId, int kind) {
  UINT imageType = 0;
  UINT drawType = 0;
  if (kind == kBitmap) { imageType = IMAGE_BITMAP; drawType = DST_BITMAP; }
  else if (kind == kIcon) { imageType = IMAGE_ICON; drawType = DST_ICON; }
  else return false;
  HINSTANCE module = ::GetModuleHandleW(nullptr);
  const int size = metrics_.PictureSize();
  HANDLE image = kind == kIcon ? static_cast<HANDLE>(WindowDpi::System().LoadIconAt(module, resourceId, size))
                               : ::LoadImageW(module, MAKEINTRESOURCEW(resourceId), imageType, size, size,
                                              LR_DEFAULTCOLOR);
  if (image == nullptr) return false;
  Shared& s = shared();
  s.check.Free();
  s.check.handle = image;
  s.check.drawType = drawType;
  return true;
}

bool IconMenu::SetItemPicture(UINT command, UINT resourceId, int kind) {
  HINSTANCE module = ::GetModuleHandleW(nullptr);
  if (kind == kBitmap) {
    HBITMAP bitmap = ::LoadBitmapW(module, MAKEINTRESOURCEW(resourceId));
    if (bitmap == nullptr) return false;
    if (SetItemBitmap(command, bitmap, true)) return true;
    ::DeleteObject(bitmap);  // no such item: nobody would free it
    return false;
  }
  if (kind == kIcon) {
    HICON icon = WindowDpi::System().LoadIconAt(module, resourceId, metrics_.PictureSize());
    if (icon == nullptr) return false;
    if (SetItemIcon(command, icon, true)) return true;
    ::DestroyIcon(icon);
    return false;
  }
  return false;
}

bool IconMenu::SetItemBitmap(UINT command, HBITMAP bitmap, bool owned) {
  IconMenuItem* item = FindItem(command);
  if (item == nullptr) return false;
  item->SetPicture(IconMenuItem::Picture::kBitmap, bitmap, owned);
  return true;
}

bool IconMenu::SetItemIcon(UINT command, HICON icon, bool owned) {
  IconMenuItem* item = FindItem(command);
  if (item == nullptr) return false;
  item->SetPicture(IconMenuItem::Picture::kIcon, icon, owned);
  return true;
}

namespace {
std::optional<bool> g_assumedHighContrast;
}  // namespace

void IconMenu::AssumeHighContrast(std::optional<bool> on) { g_assumedHighContrast = on; }

bool IconMenu::HighContrast() {
  if (g_assumedHighContrast) return *g_assumedHighContrast;
  HIGHCONTRASTW contrast{};
  contrast.cbSize = sizeof(contrast);
  return ::SystemParametersInfoW(SPI_GETHIGHCONTRAST, sizeof(contrast), &contrast, 0) &&
         (contrast.dwFlags & HCF_HIGHCONTRASTON) != 0;
}

LRESULT IconMenu::MenuChar(wchar_t key, HMENU menu) const {
  if (menu == nullptr || key == 0) return MAKELRESULT(0, MNC_IGNORE);
  const wchar_t wanted = FoldCase(key);
  const int count = ::GetMenuItemCount(menu);
  int highlighted = -1;
  std::vector<int> matches;
  std::vector<bool> enabled;
  for (int position = 0; position < count; ++position) {
    MENUITEMINFOW info{};
    info.cbSize = sizeof(info);
    info.fMask = MIIM_STATE | MIIM_FTYPE | MIIM_DATA | MIIM_ID;
    if (!::GetMenuItemInfoW(menu, static_cast<UINT>(position), TRUE, &info) || (info.fType & MFT_SEPARATOR)) continue;
    if (info.fState & MFS_HILITE) highlighted = position;
    const IconMenuItem* item = Lookup(info.dwItemData, info.wID);
    if (item == nullptr || FoldCase(AccessKey(item->text)) != wanted) continue;
    matches.push_back(position);
    enabled.push_back((info.fState & MFS_DISABLED) == 0);
  }
  if (matches.empty()) return MAKELRESULT(0, MNC_IGNORE);
  // One item with the key is chosen at once; among several, each press goes to the next.
  if (matches.size() == 1) return MAKELRESULT(matches[0], enabled[0] ? MNC_EXECUTE : MNC_SELECT);
  for (int position : matches)
    if (position > highlighted) return MAKELRESULT(position, MNC_SELECT);
  return MAKELRESULT(matches.front(), MNC_SELECT);
}

IconMenuItem* IconMenu::FindItem(UINT command) {
  if (shared().items == nullptr) return nullptr;
  for (auto& r : *shared().items)
    if (r->command == command) return r.get();
  return nullptr;
}

std::size_t IconMenu::ItemCount() { return shared().items ? shared().items->size() : 0; }

int IconMenu::LiveCount() { return shared().live; }

IconMenuItem* IconMenu::Lookup(ULONG_PTR itemData, UINT id) {
  // Item data is trusted only when it is one of the shared records.
  if (shared().items != nullptr && itemData != 0)
    for (auto& r : *shared().items)
      if (r->itemData() == itemData) return r.get();
  return FindItem(id);
}

SIZE IconMenu::MeasureText(HDC dc, const std::string& text, bool submenu, const IconMenuMetrics& metrics) {
  const std::size_t tab = AcceleratorTab(text);
  const int length = static_cast<int>(tab == std::string::npos ? text.size() : tab);
  RECT r{0, 0, 0, 0};
  // Vertical centring means nothing to a measurement, and some systems move the
  // measured rectangle by half its height for it: measure without it.
  DrawMenuText(dc, text.data(), length, &r, DT_CALCRECT | (kTextFlags & ~DT_VCENTER));
  const IconMenuMetrics::Size size =
      metrics.ItemSize(r.right - r.left, r.bottom - r.top, tab != std::string::npos, submenu);
  return SIZE{size.width, size.height};
}

void IconMenu::MeasureItem(MEASUREITEMSTRUCT* measure) const {
  if (measure == nullptr || measure->CtlType != ODT_MENU) return;
  const IconMenuItem* item = Lookup(measure->itemData, measure->itemID);
  if (item == nullptr) return;
  FontHandle font = MenuFont(scale_);
  MemoryDcHandle display(::CreateDCW(L"DISPLAY", nullptr, nullptr, nullptr));
  if (!display) return;
  SelectGuard select(display.get(), font.get());
  const SIZE size = MeasureText(display.get(), item->text, item->submenu, metrics_);
  measure->itemWidth = static_cast<UINT>(size.cx);
  measure->itemHeight = static_cast<UINT>(size.cy);
}

void IconMenu::DrawItem(const DRAWITEMSTRUCT* draw) const {
  if (draw == nullptr || draw->CtlType != ODT_MENU) return;
  const IconMenuItem* item = Lookup(draw->itemData, draw->itemID);
  if (item == nullptr) return;
  HDC dc = draw->hDC;
  const RECT& r = draw->rcItem;
  FontHandle font = MenuFont(scale_);
  SelectGuard selectFont(dc, font.get());
  SelectGuard selectPen(dc, ::GetStockObject(NULL_PEN));
  ::SetBkColor(dc, ::GetSysColor(COLOR_MENU));
  ::SetBkMode(dc, TRANSPARENT);

  const bool selected = (draw->itemState & ODS_SELECTED) != 0;
  const bool grayed = (draw->itemState & ODS_GRAYED) != 0;
  const bool checked = (draw->itemState & ODS_CHECKED) != 0;
  const bool highContrast = HighContrast();
  // Every state in the system's colours, so a high-contrast theme shows which items are grayed.
  const COLORREF ground = ::GetSysColor(selected ? COLOR_HIGHLIGHT : COLOR_MENU);
  COLORREF textColour = ::GetSysColor(selected ? COLOR_HIGHLIGHTTEXT : COLOR_MENUTEXT);
  if (grayed) {
    textColour = ::GetSysColor(COLOR_GRAYTEXT);
    // Gray that cannot be seen on the highlight (some themes make them one colour).
    if (textColour == ground) textColour = ::GetSysColor(selected ? COLOR_HIGHLIGHTTEXT : COLOR_MENUTEXT);
  }
  ::SetTextColor(dc, textColour);

  if (draw->itemAction & ODA_SELECT) {
    if (selected) {
      RECT fill = r;
      ::FillRect(dc, &fill, ::GetSysColorBrush(COLOR_HIGHLIGHT));
      ::DrawEdge(dc, &fill, BDR_RAISEDINNER, BF_RECT);
    } else {
      RECT fill = r;
      ::InflateRect(&fill, 1, 1);
      ::FillRect(dc, &fill, ::GetSysColorBrush(COLOR_MENU));
    }
  } else if (selected && (draw->itemAction & ODA_DRAWENTIRE)) {
    // Drawn whole while highlighted (a menu opened from the keyboard on this item).
    RECT fill = r;
    ::FillRect(dc, &fill, ::GetSysColorBrush(COLOR_HIGHLIGHT));
    ::DrawEdge(dc, &fill, BDR_RAISEDINNER, BF_RECT);
  }

  const int margin = metrics_.PictureMargin();
  const int picture = metrics_.PictureSize();
  const int accelerator = metrics_.AcceleratorWidth();
  // Access keys underlined unless the system hides them until the keyboard is used.
  const UINT prefix = (draw->itemState & ODS_NOACCEL) ? DT_HIDEPREFIX : 0;
  const RECT box{r.left + margin, r.top + margin, r.left + metrics_.PictureRight(), r.bottom - margin};
  const RECT textArea{r.left + metrics_.TextLeft(), r.top, r.right, r.bottom};
  if (grayed) {
    DrawPicture(dc, box, *item, picture, DSS_DISABLED);
    if (checked) DrawCheck(dc, box, *item, true, textColour);
    if (!selected && !highContrast) {
      // Embossed: a light copy a pixel down and right under the gray text.
      const int shift = scale_.Scale(1);
      ::SetTextColor(dc, ::GetSysColor(COLOR_3DHILIGHT));
      DrawItemText(dc, textArea, item->text, accelerator, prefix);
      ::SetTextColor(dc, textColour);
      DrawItemText(dc, RECT{textArea.left - shift, r.top - shift, r.right - shift, r.bottom - shift}, item->text,
                   accelerator, prefix);
    } else {
      DrawItemText(dc, textArea, item->text, accelerator, prefix);
    }
  } else {
    DrawPicture(dc, box, *item, picture, 0);
    if (checked && !DrawCheck(dc, box, *item, false, textColour) && !selected) {
      // A checked item with its own picture: the picture in a pressed frame across the item.
      RECT whole = r;
      if (highContrast) {
        // The pressed button's dither would lie under the text: a frame in the text's colour.
        BrushHandle frame(::CreateSolidBrush(textColour));
        ::FrameRect(dc, &whole, frame.get());
      } else {
        ::DrawFrameControl(dc, &whole, DFC_BUTTON, DFCS_BUTTONPUSH | DFCS_CHECKED);
        ::DrawEdge(dc, &whole, BDR_RAISEDINNER, BF_RECT | BF_FLAT);
        // On the pressed face, the system colour that stands out most from it (a scheme may make
        // the face and the button text one colour).
        ::SetTextColor(dc, MostContrasting(::GetPixel(dc, whole.right - scale_.Scale(4), (whole.top + whole.bottom) / 2)));
      }
      DrawPicture(dc, box, *item, picture, 0);
    }
    DrawItemText(dc, textArea, item->text, accelerator, prefix);
  }
}

bool IconMenu::DrawCheck(HDC dc, const RECT& box, const IconMenuItem& item, bool inactive, COLORREF ink) const {
  if (item.HasPicture()) return false;
  MENUITEMINFOW info{};
  info.cbSize = sizeof(info);
  info.fMask = MIIM_FTYPE;
  const bool radio = menu_ != nullptr && ::GetMenuItemInfoW(menu_, item.command, FALSE, &info) &&
                     (info.fType & MFT_RADIOCHECK) != 0;
  const SharedImage& image = radio ? shared().radio : shared().check;
  if (image.handle != nullptr) {
    DrawImage(dc, box, image.handle, image.drawType, metrics_.PictureSize(), inactive ? DSS_DISABLED : 0);
  } else if (radio) {
    // A dot in the item's text colour, with a rim in the shadow colour.
    const int outer = scale_.Scale(4);
    const int inner = scale_.Scale(5);
    BrushHandle rim(::CreateSolidBrush(::GetSysColor(COLOR_3DSHADOW)));
    {
      SelectGuard select(dc, rim.get());
      ::Ellipse(dc, box.left + outer, box.top + outer, box.right - outer, box.bottom - outer);
    }
    BrushHandle dot(::CreateSolidBrush(ink));
    SelectGuard select(dc, dot.get());
    ::Ellipse(dc, box.left + inner, box.top + inner, box.right - inner, box.bottom - inner);
  } else {
    RECT frame = box;
    ::DrawFrameControl(dc, &frame, DFC_BUTTON, DFCS_CHECKED | (inactive ? DFCS_INACTIVE : 0));
  }
  return true;
}
