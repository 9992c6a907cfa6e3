#include "quicktimer/running_quick_timers.h"

#include <commctrl.h>

#include <algorithm>
#include <iterator>
#include <cstdio>
#include <string>
#include <utility>

#include "quicktimer/poll_running.h"
#include "resource.h"
#include "win/message_box.h"
#include "win/unique_handle.h"
#include "win/wide_text.h"

namespace {

RECT ToRect(const QuickTimerCells::Rect& r) { return RECT{r.left, r.top, r.right, r.bottom}; }

// The cell picture is drawn for each of these sizes; another size is made from the next larger one.
struct CellPicture {
  int size;
  UINT id;
};
constexpr CellPicture kCellPictures[] = {{16, IDB_CELLS},    {20, IDB_CELLS_20}, {24, IDB_CELLS_24},
                                         {32, IDB_CELLS_32}, {40, IDB_CELLS_40}, {48, IDB_CELLS_48}};

CellPicture PictureFor(int size) {
  for (const CellPicture& picture : kCellPictures)
    if (picture.size >= size) return picture;
  return kCellPictures[std::size(kCellPictures) - 1];
}

}  // namespace

void RunningQuickTimers::SetDpi(int dpi) {
  if (DpiScale(dpi) == scale_) return;
  scale_ = DpiScale(dpi);
  if (!running_.empty()) CellsChanged();  // the tooltips' rectangles move with the cells
}

QuickTimerCells::Rect RunningQuickTimers::Client() const {
  RECT r{};
  ::GetClientRect(host_, &r);
  return {r.left, r.top, r.right, r.bottom};
}

void RunningQuickTimers::Add(std::unique_ptr<RunningTimer> entry) {
  running_.push_back(std::move(entry));
  ::SetTimer(host_, kPollTimer, kPollPeriod, nullptr);
  CellsChanged();
}

std::int32_t RunningQuickTimers::selectedCell() const {
  for (std::size_t i = 0; i < running_.size(); ++i) {
    if (running_[i].get() == selected_) return static_cast<std::int32_t>(i);
  }
  return -1;
}

void RunningQuickTimers::Finish(std::unique_ptr<RunningTimer> entry) {
  if (entry.get() == selected_) selected_ = nullptr;
  entry->End();
  Gather(*entry);
  // Written by the keeper after the poll, with whatever else ends in it.
  if (facesKeeper_) facesKeeper_(entry->action, nullptr);
  if (entry->InHandler()) finishing_.push_back(std::move(entry));
}

void RunningQuickTimers::Gather(RunningTimer& entry) {
  RunningTimer::News news = entry.TakeNews();
  if (news.timeUp) news_.timeUp.push_back(entry.description());
  if (!news.failure.empty()) news_.messages.push_back(std::move(news.failure));
  PostNews();
}

void RunningQuickTimers::PostNews() {
  if (news_.empty() || newsPosted_ || host_ == nullptr) return;
  newsPosted_ = ::PostMessageW(host_, kNewsMessage, 0, 0) != FALSE;
}

RunningQuickTimers::News RunningQuickTimers::TakeNews() {
  newsPosted_ = false;
  return std::exchange(news_, News{});
}

void RunningQuickTimers::Poll() {
  if (polling_) return;  // asked for from a loop inside a step: the poll under way goes on
  std::erase_if(finishing_, [](const std::unique_ptr<RunningTimer>& entry) { return !entry->InHandler(); });
  const std::size_t removed = PollRunning(
      running_, polling_,
      [this](RunningTimer& entry) {
        const bool alive = entry.Step();
        Gather(entry);
        return alive;
      },
      [this](std::unique_ptr<RunningTimer> entry) { Finish(std::move(entry)); });
  if (running_.empty()) ::KillTimer(host_, kPollTimer);
  if (removed > 0) CellsChanged();
}

void RunningQuickTimers::EndAll(bool tellWhatIsLeft) {
  tooltip_ = nullptr;  // destroyed with the host
  std::vector<std::unique_ptr<RunningTimer>> ending = std::move(running_);
  running_.clear();
  for (auto& entry : ending) Finish(std::move(entry));
  const News left = TakeNews();
  if (!tellWhatIsLeft) return;
  for (const std::string& message : left.messages) MessageBoxes::Show(message, MB_OK | MB_ICONWARNING, nullptr);
}

void RunningQuickTimers::CellsChanged() {
  RebuildTooltips();
  ::InvalidateRect(host_, nullptr, TRUE);
}

void RunningQuickTimers::Draw(HDC dc, const RECT& client, bool forShape, int pressed) const {
  if (running_.empty()) return;
  const QuickTimerCells::Metrics metrics = QuickTimerCells::MetricsAt(scale_);
  const CellPicture chosen = PictureFor(metrics.picture);
  BitmapHandle picture(::LoadBitmapW(::GetModuleHandleW(nullptr), MAKEINTRESOURCEW(chosen.id)));
  MemoryDcHandle source(::CreateCompatibleDC(dc));
  SelectGuard select(source.get(), picture.get());
  const QuickTimerCells::Rect area{client.left, client.top, client.right, client.bottom};
  for (std::size_t i = 0; i < running_.size(); ++i) {
    const auto cell = QuickTimerCells::CellRect(static_cast<std::int32_t>(i), area, scale_);
    if (!cell) return;
    RECT r = ToRect(*cell);
    const bool isPressed = static_cast<int>(i) == pressed;
    if (forShape) {
      ::InvertRect(dc, &r);
    } else if (picture) {
      const int d = isPressed ? metrics.pressedInset : metrics.inset;
      if (chosen.size == metrics.picture) {
        ::BitBlt(dc, r.left + d, r.top + d, metrics.picture, metrics.picture, source.get(), 0, 0, SRCCOPY);
      } else {
        const int mode = ::SetStretchBltMode(dc, HALFTONE);
        ::StretchBlt(dc, r.left + d, r.top + d, metrics.picture, metrics.picture, source.get(), 0, 0, chosen.size,
                     chosen.size, SRCCOPY);
        ::SetStretchBltMode(dc, mode);
      }
    }
    ::DrawEdge(dc, &r, isPressed ? EDGE_SUNKEN : EDGE_RAISED, BF_RECT);
  }
}

void RunningQuickTimers::DrawPressed(int pressed) const {
  RECT client;
  ::GetClientRect(host_, &client);
  WindowDcGuard dc(host_);
  Draw(dc.dc(), client, false, pressed);
}

int RunningQuickTimers::HitCell(POINT at) const {
  return QuickTimerCells::HitTest(at.x, at.y, Client(), static_cast<std::int32_t>(running_.size()), scale_);
}

void RunningQuickTimers::RebuildTooltips() {
  if (tooltip_ != nullptr) {
    ::DestroyWindow(tooltip_);
    tooltip_ = nullptr;
  }
  if (running_.empty()) return;
  tooltip_ = ::CreateWindowExW(WS_EX_TOPMOST, TOOLTIPS_CLASSW, nullptr, WS_POPUP | TTS_ALWAYSTIP, CW_USEDEFAULT,
                               CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, host_, nullptr,
                               ::GetModuleHandleW(nullptr), nullptr);
  if (tooltip_ == nullptr) return;
  // A negative time puts the delays back to the system's defaults.
  ::SendMessageW(tooltip_, TTM_SETDELAYTIME, TTDT_AUTOMATIC, MAKELPARAM(static_cast<WORD>(-1), 0));
  const QuickTimerCells::Rect client = Client();
  for (std::size_t i = 0; i < running_.size(); ++i) {
    TTTOOLINFOW tool = Tool(i, client);
    tool.lpszText = LPSTR_TEXTCALLBACKW;
    ::SendMessageW(tooltip_, TTM_ADDTOOLW, 0, reinterpret_cast<LPARAM>(&tool));
  }
}

TTTOOLINFOW RunningQuickTimers::Tool(std::size_t index, const QuickTimerCells::Rect& client) const {
  TTTOOLINFOW tool{};
  tool.cbSize = TTTOOLINFOW_V1_SIZE;
  tool.uFlags = 0;
  tool.hwnd = host_;
  tool.uId = reinterpret_cast<UINT_PTR>(running_[index].get());
  // A client too narrow for any cell leaves the tip nowhere until it grows.
  const auto cell = QuickTimerCells::CellRect(static_cast<std::int32_t>(index), client, scale_);
  if (cell) tool.rect = ToRect(*cell);
  return tool;
}

void RunningQuickTimers::PlaceTips() {
  if (tooltip_ == nullptr) return;
  const QuickTimerCells::Rect client = Client();
  for (std::size_t i = 0; i < running_.size(); ++i) {
    TTTOOLINFOW tool = Tool(i, client);
    ::SendMessageW(tooltip_, TTM_NEWTOOLRECTW, 0, reinterpret_cast<LPARAM>(&tool));
  }
}

bool RunningQuickTimers::OnNotify(NMHDR* header) {
  // A wide tooltip asks its Unicode owner for wide text.
  if (header->code != TTN_NEEDTEXTW || tooltip_ == nullptr || header->hwndFrom != tooltip_) return false;
  auto* info = reinterpret_cast<NMTTDISPINFOW*>(header);
  for (const auto& entry : running_) {
    if (reinterpret_cast<UINT_PTR>(entry.get()) != header->idFrom) continue;
    const std::wstring text =
        WideText::From(QuickTimerCells::TooltipText(entry->action.countdown, ::GetTickCount()));
    const std::size_t length = std::min(text.size(), std::size(info->szText) - 1);
    text.copy(info->szText, length);
    info->szText[length] = L'\0';
    info->lpszText = info->szText;
    return true;
  }
  return false;  // the entry has gone meanwhile
}

void RunningQuickTimers::RelayEvent(MSG* msg) const {
  if (tooltip_ != nullptr) ::SendMessageW(tooltip_, TTM_RELAYEVENT, 0, reinterpret_cast<LPARAM>(msg));
}

void RunningQuickTimers::UpdateTip() const {
  if (tooltip_ != nullptr) ::SendMessageW(tooltip_, TTM_UPDATE, 0, 0);
}

void RunningQuickTimers::ShowCellMenu(int cell, POINT at) {
  if (cell < 0 || static_cast<std::size_t>(cell) >= running_.size()) return;
  selected_ = running_[static_cast<std::size_t>(cell)].get();
  MenuHandle menu(::LoadMenuW(::GetModuleHandleW(nullptr), MAKEINTRESOURCEW(IDR_CELL_MENU)));
  HMENU popup = ::GetSubMenu(menu.get(), 0);
  if (popup == nullptr) return;
  const struct {
    UINT id;
    std::uint32_t bit;
  } checks[] = {{ID_QT_EXECUTE_APP, TimerActionState::kExecuteApplication},
                {ID_QT_COUNTER_WINDOW, TimerActionState::kCounterWindow},
                {ID_QT_MESSAGE_BOX, TimerActionState::kMessageWindow},
                {ID_QT_PLAY_SOUND, TimerActionState::kPlaySound}};
  const std::uint32_t flags = running_[static_cast<std::size_t>(cell)]->action.flags;
  for (const auto& check : checks) {
    if (flags & check.bit) ::CheckMenuItem(popup, check.id, MF_BYCOMMAND | MF_CHECKED);
  }
  ::ClientToScreen(host_, &at);
  ::TrackPopupMenu(popup, TPM_RIGHTBUTTON, at.x, at.y, 0, host_, nullptr);
}

bool RunningQuickTimers::OnCommand(WORD id) {
  std::uint32_t bit = 0;
  switch (id) {
    case ID_QT_STOP: break;
    case ID_QT_COUNTER_WINDOW: bit = TimerActionState::kCounterWindow; break;
    case ID_QT_MESSAGE_BOX: bit = TimerActionState::kMessageWindow; break;
    case ID_QT_PLAY_SOUND: bit = TimerActionState::kPlaySound; break;
    case ID_QT_EXECUTE_APP: bit = TimerActionState::kExecuteApplication; break;
    default: return false;
  }
  // The entries may have moved or gone since the click: the command is for the pressed one, if it still runs.
  const std::int32_t cell = selectedCell();
  if (cell < 0) return true;
  const auto at = running_.begin() + cell;
  if (id != ID_QT_STOP) {
    (*at)->action.flags ^= bit;
    return true;
  }
  std::unique_ptr<RunningTimer> entry = std::move(*at);
  running_.erase(at);
  Finish(std::move(entry));
  if (running_.empty()) ::KillTimer(host_, kPollTimer);
  CellsChanged();
  return true;
}
