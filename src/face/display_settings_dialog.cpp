#include "face/display_settings_dialog.h"

#include <commdlg.h>

#include "face/countdown_face.h"
#include "resource.h"
#include "win/string_table.h"
#include "win/unique_handle.h"
#include "win/wide_text.h"
#include "win/window_dpi.h"

DisplaySettingsDialog::DisplaySettingsDialog(Variant variant)
    : Dialog(IDD_DISPLAY_SETTINGS),
      textIds_{IDS_TOKEN_Y4,        IDS_TOKEN_Y2,        IDS_TOKEN_MONTH_NAME, IDS_TOKEN_MONTH_ABBR,
               IDS_TOKEN_MONTH,     IDS_TOKEN_DAY,       IDS_TOKEN_WEEK_NAME,  IDS_TOKEN_WEEK_ABBR,
               IDS_TOKEN_AMPM,      IDS_TOKEN_HOUR24,    IDS_TOKEN_HOUR12,     IDS_TOKEN_MINUTES},
      tokens_{"%Y", "%y", "%B", "%b", "%m", "%d", "%A", "%a", "%p", "%H", "%I", "%M"},
      face_(std::make_unique<ClockFace>()) {
  if (variant == Variant::Countdown) UseCountdownVariant();
}

DisplaySettingsDialog::DisplaySettingsDialog(const ClockFace& source)
    : DisplaySettingsDialog(source.IsCountdown() ? Variant::Countdown : Variant::Plain) {
  face_->CopySettingsFrom(source);
}

DisplaySettingsDialog::~DisplaySettingsDialog() = default;

void DisplaySettingsDialog::UseCountdownVariant() {
  if (face_->IsCountdown()) return;
  face_ = std::make_unique<CountdownFace>();
  textIds_.insert(textIds_.begin(), {IDS_TOKEN_TIMER_MIN, IDS_TOKEN_TIMER_SEC, IDS_TOKEN_TIMER_COUNT});
  textIds_.push_back(IDS_TOKEN_SECONDS);
  tokens_.insert(tokens_.begin(), {"%Q", "%q", "%T"});
  tokens_.push_back("%S");
}

bool DisplaySettingsDialog::EditFace(ClockFace& target, HWND owner) {
  face_->CopySettingsFrom(target);
  if (DoModal(owner) != IDOK) return false;
  // The look only: the window's place and option bits may have changed while
  // the dialog ran (the clock's tray menu works meanwhile), and they are not its to set.
  target.CopyLookFrom(*face_);
  return true;
}

BOOL DisplaySettingsDialog::OnInitDialog() {
  Dialog::OnInitDialog();
  textButton_.SubclassItem(hwnd(), IDC_TEXT_COLOUR);
  backButton_.SubclassItem(hwnd(), IDC_BACK_COLOUR);
  SetItemText(IDC_FORMAT, face_->format);

  HWND combo = Item(IDC_TOKENS);
  for (UINT id : textIds_)
    ::SendMessageW(combo, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(WideText::From(StringTable::Load(id)).c_str()));
  ::SendMessageW(combo, CB_SETCURSEL, 0, 0);

  textButton_.SetColour(face_->textColour);
  backButton_.SetColour(face_->backColour);

  // A hand-edited FlagDT outside left, centre and right becomes centre.
  if (face_->flagDT < DT_LEFT || face_->flagDT > DT_RIGHT) face_->flagDT = DT_CENTER;
  const int radio = face_->flagDT == DT_LEFT ? IDC_ALIGN_LEFT : face_->flagDT == DT_RIGHT ? IDC_ALIGN_RIGHT
                                                                                         : IDC_ALIGN_CENTER;
  ::CheckRadioButton(hwnd(), IDC_ALIGN_LEFT, IDC_ALIGN_RIGHT, radio);

  FormatChanged();
  return TRUE;
}

void DisplaySettingsDialog::ReadFormat() {
  face_->format = ItemText(IDC_FORMAT);
}

void DisplaySettingsDialog::RedrawPreview() {
  ::RedrawWindow(Item(IDC_PREVIEW), nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW);
}

void DisplaySettingsDialog::OnColourChanged() {
  face_->textColour = textButton_.GetColour();
  face_->backColour = backButton_.GetColour();
  RedrawPreview();
}

void DisplaySettingsDialog::FormatChanged() {
  ReadFormat();
  RedrawPreview();
  // Alignment moves lines against each other: it matters only with two or more.
  const bool multiLine = ::SendMessageW(Item(IDC_FORMAT), EM_GETLINECOUNT, 0, 0) > 1;
  for (int id : {IDC_ALIGN_GROUP, IDC_ALIGN_LABEL, IDC_ALIGN_LEFT, IDC_ALIGN_CENTER, IDC_ALIGN_RIGHT})
    EnableItem(id, multiLine);
}

void DisplaySettingsDialog::AddToken() {
  const LRESULT index = ::SendMessageW(Item(IDC_TOKENS), CB_GETCURSEL, 0, 0);
  if (index < 0 || static_cast<size_t>(index) >= tokens_.size()) return;
  const std::string& token = tokens_[static_cast<size_t>(index)];
  HWND edit = Item(IDC_FORMAT);
  // The edit replaces its own selection, so its positions (UTF-16 units, not
  // bytes of the format) never have to be mapped onto the format.
  ::SendMessageW(edit, EM_REPLACESEL, FALSE, reinterpret_cast<LPARAM>(WideText::From(token).c_str()));
  DWORD start = 0;
  DWORD end = 0;
  ::SendMessageW(edit, EM_GETSEL, reinterpret_cast<WPARAM>(&start), reinterpret_cast<LPARAM>(&end));
  ReadFormat();
  RedrawPreview();
  ::SetFocus(edit);
  ::SendMessageW(edit, EM_SETSEL, end, end);
  ::SendMessageW(edit, EM_SCROLLCARET, 0, 0);
}

void DisplaySettingsDialog::ChooseFaceFont() {
  // The dialog shows the font as it looks here; the face keeps it as a 96-DPI font.
  const DpiScale scale(WindowDpi::System().ForWindow(hwnd()));
  LOGFONTW font = face_->FontAtDpi(scale.dpi());
  CHOOSEFONTW choose{};
  choose.lStructSize = sizeof(choose);
  choose.hwndOwner = hwnd();
  choose.lpLogFont = &font;
  choose.Flags = CF_SCREENFONTS | CF_INITTOLOGFONTSTRUCT;
  if (!::ChooseFontW(&choose)) return;
  font.lfHeight = scale.StoredFontHeight(font.lfHeight);
  font.lfWidth = scale.StoredFontHeight(font.lfWidth);
  face_->SetFont(font);
  RedrawPreview();
}

void DisplaySettingsDialog::SetAlignment(std::int32_t flag) {
  face_->flagDT = flag;
  RedrawPreview();
}

void DisplaySettingsDialog::DrawPreview(const DRAWITEMSTRUCT* item) {
  HDC dc = item->hDC;
  SavedDcGuard saved(dc);
  RECT inside = item->rcItem;
  ::FrameRect(dc, &inside, ::GetSysColorBrush(COLOR_3DSHADOW));
  ::InflateRect(&inside, -1, -1);
  ::IntersectClipRect(dc, inside.left, inside.top, inside.right, inside.bottom);
  face_->Draw(dc, inside, WindowDpi::System().ForWindow(hwnd()), ClockFace::LocalNow(), ::GetTickCount());
}

void DisplaySettingsDialog::OnOK() {
  ReadFormat();
  Dialog::OnOK();
}

bool DisplaySettingsDialog::OnCommand(WORD id, WORD code, HWND control) {
  switch (id) {
    case IDC_FORMAT:
      if (code == EN_CHANGE) FormatChanged();
      return code == EN_CHANGE;
    case IDC_ADD_TOKEN:
      if (code == BN_CLICKED) AddToken();
      return true;
    case IDC_SELECT_FONT:
      if (code == BN_CLICKED) ChooseFaceFont();
      return true;
    case IDC_ALIGN_LEFT:
    case IDC_ALIGN_CENTER:
    case IDC_ALIGN_RIGHT:
      if (code == BN_CLICKED) SetAlignment(id - IDC_ALIGN_LEFT);
      return true;
    case IDC_TEXT_COLOUR:
    case IDC_BACK_COLOUR:
      if (code != ColourButton::kColourChanged) return false;
      OnColourChanged();
      return true;
    default:
      return Dialog::OnCommand(id, code, control);
  }
}

LRESULT DisplaySettingsDialog::WindowProc(UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_DRAWITEM && wParam == IDC_PREVIEW) {
    DrawPreview(reinterpret_cast<const DRAWITEMSTRUCT*>(lParam));
    return TRUE;
  }
  return Dialog::WindowProc(message, wParam, lParam);
}
