// The running QuickTimers of the clock window and their cells over its face:
// drawing, hit test, tooltips, the cell menu and the poll that steps them.
// Entries are owned here; one that ends hands its windows' faces to the keeper of the settings.
#pragma once

#include <windows.h>
#include <commctrl.h>

#include <cstdint>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "quicktimer/quick_timer_cells.h"
#include "quicktimer/running_timer.h"
#include "win/dpi_scale.h"

class RunningQuickTimers {
 public:
  // The host window's timer that polls the entries while any runs.
  static constexpr UINT_PTR kPollTimer = 2;
  static constexpr UINT kPollPeriod = 500;
  // Posted to the host when there is news for the user; the host takes it with
  // TakeNews and tells it. Nothing modal runs inside the poll: a message box's
  // loop would run the poll and the cell menu inside it.
  static constexpr UINT kNewsMessage = WM_APP + 0x58;

  struct News {
    std::vector<std::string> timeUp;    // which QuickTimers' time is up
    std::vector<std::string> messages;  // for a message box each
    bool empty() const { return timeUp.empty() && messages.empty(); }
  };

  RunningQuickTimers() = default;
  RunningQuickTimers(const RunningQuickTimers&) = delete;
  RunningQuickTimers& operator=(const RunningQuickTimers&) = delete;

  // The window the cells are drawn on; it receives the poll timer, the cell
  // menu's commands and the tooltips' notifications.
  void Attach(HWND host) { host_ = host; }
  // Who stores the faces of a QuickTimer that ended (the clock's settings keeper).
  void SetFacesKeeper(FacesKeeper keeper) { facesKeeper_ = std::move(keeper); }
  // The DPI of the host: the cells, their pictures and their tooltips' places follow it.
  void SetDpi(int dpi);
  DpiScale scale() const { return scale_; }

  // An entry's position is its cell's index.
  const std::vector<std::unique_ptr<RunningTimer>>& running() const { return running_; }
  HWND tooltip() const { return tooltip_; }
  // The position now of the entry whose cell was pressed last, or -1 once it has ended.
  std::int32_t selectedCell() const;

  // Appends a started QuickTimer: its cell appears and the poll timer runs.
  void Add(std::unique_ptr<RunningTimer> entry);
  // Timer 2: every entry steps once; the ones left without an action end.
  void Poll();
  // At the end of the host: every entry ends (sound off, windows closed) and hands its faces on.
  // What is left to be told is shown here, as the host has no loop to post to any more; not
  // when `tellWhatIsLeft` is false (the session ends: nothing may wait for the user).
  void EndAll(bool tellWhatIsLeft = true);
  // The news gathered since the last call.
  News TakeNews();

  // The cells over the face: for the see-through shape inverted whole, so that no
  // pixel of them is the background colour; otherwise with one of them pressed (-1: none).
  void Draw(HDC dc, const RECT& client, bool forShape, int pressed = -1) const;
  // Draws the cells straight onto the host, one of them pressed (-1: none).
  void DrawPressed(int pressed) const;
  // The cell at a point of the host's client area, or -1.
  int HitCell(POINT at) const;
  // Selects the cell and shows the cell menu at a point of the host's client area.
  void ShowCellMenu(int cell, POINT at);
  // A command of the cell menu for the selected entry; false for any other command.
  bool OnCommand(WORD id);
  // The tooltips' request for a cell's text; false when it is not theirs.
  bool OnNotify(NMHDR* header);
  // The host's client area has changed (size, frame): each tip goes where its cell now is.
  void PlaceTips();
  // Mouse messages for the tooltips, and their text at this moment.
  void RelayEvent(MSG* msg) const;
  void UpdateTip() const;

 private:
  QuickTimerCells::Rect Client() const;
  void RebuildTooltips();
  // The tool of entry `index`, at its cell in `client`.
  TTTOOLINFOW Tool(std::size_t index, const QuickTimerCells::Rect& client) const;
  void CellsChanged();
  // An entry taken out of the running ones: it ends and saves its faces. One
  // whose window is inside one of its own handlers is kept until that returns.
  void Finish(std::unique_ptr<RunningTimer> entry);
  // Collects what an entry has to tell and has the host told that there is news.
  void Gather(RunningTimer& entry);
  void PostNews();

  HWND host_ = nullptr;
  FacesKeeper facesKeeper_;
  std::vector<std::unique_ptr<RunningTimer>> running_;
  std::vector<std::unique_ptr<RunningTimer>> finishing_;
  HWND tooltip_ = nullptr;  // a child popup of the host: it goes with it
  // The entry whose cell was pressed last: the cell menu's commands are for it,
  // wherever it has moved since (the poll runs during the menu). Null once it has ended.
  const RunningTimer* selected_ = nullptr;
  bool polling_ = false;
  News news_;
  bool newsPosted_ = false;
  DpiScale scale_;
};
