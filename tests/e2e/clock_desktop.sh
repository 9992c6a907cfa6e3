#!/usr/bin/env bash
# The clock among the system's events: stored off every screen, displays and the
# work area changing, waking from sleep and unlocking, the taskbar recreated, the
# keyboard's context menu, and the new minute shown as it turns.
source "$(dirname "$0")/lib.sh"
trap 'stop_velta' EXIT

info_value() { driver info Velta | sed -n "s/^$1 //p"; }
tray_visible() { driver info "Wine System Tray" | sed -n 's/^visible //p'; }
# Waits up to three seconds for the shell's tray window to be shown (1) or not (0).
tray_becomes() {
  local i
  for i in $(seq 30); do
    [ "$(tray_visible)" = "$1" ] && return 0
    [ "$1" = 0 ] && [ -z "$(tray_visible)" ] && return 0
    sleep 0.1
  done
  return 1
}

# Watches the clock's pixels in the background; `watched` waits for the answer and
# leaves it in WATCHED ("no change" or the time of the first change).
watch_start() {  # watch_start SECONDS
  WATCH_OUT=$(mktemp)
  driver watch Velta "$1" >"$WATCH_OUT" &
  WATCH_PID=$!
  sleep 0.5  # the first picture is taken
}
watched() { wait "$WATCH_PID"; WATCHED=$(cat "$WATCH_OUT"); rm -f "$WATCH_OUT"; }

dir=$(sandbox clock_desktop)
# A place near the far end of what the settings accept, where no screen is; the
# seconds show when the face was last drawn.
printf '[Settings]\r\nleft=-30000\r\ntop=-30000\r\nright=-29600\r\nbottom=-29800\r\nFormat=%%H:%%M:%%S\r\n' \
  >"$dir/Velta.ini"
start_velta "$dir"
check "the clock appears" wait_window
sleep 1
expect_eq "a clock stored off every screen starts on the screen" "$(info_value rect)" "0 0 400 200"
xdotool mousemove 1000 700

# ---- displays and the work area ----
driver move Velta -2000 100
driver post Velta $WM_DISPLAYCHANGE $BITS_PER_PIXEL_32 $DISPLAY_1024x768
sleep 0.5
expect_eq "after a display change a clock wholly off the desktop comes back" "$(info_value rect)" "0 100 400 300"
driver move Velta -200 100
driver post Velta $WM_DISPLAYCHANGE $BITS_PER_PIXEL_32 $DISPLAY_1024x768
sleep 0.5
expect_eq "and one half on it stays" "$(info_value rect)" "-200 100 200 300"
driver move Velta -390 100
driver post Velta $WM_DISPLAYCHANGE $BITS_PER_PIXEL_32 $DISPLAY_1024x768
sleep 0.5
expect_eq "and one holding a 10-pixel sliver comes back as one wholly off" "$(info_value rect)" "0 100 400 300"
driver move Velta 3000 50
driver send Velta $WM_SETTINGCHANGE $SPI_SETWORKAREA 0
sleep 0.5
expect_eq "a work-area change brings back a clock beyond the right edge" "$(info_value rect)" "624 50 1024 250"
driver move Velta 100 80
sleep 0.5

# ---- waking: the face is drawn again at once ----
# (Not while the minute turns: that draws the face too.)
second=$(date +%S); second=${second#0}
if [ "$second" -ge 48 ]; then sleep $(( 61 - second )); fi
# The face shows seconds: watch from just after the message, or a tick before it would count.
driver post Velta $WM_POWERBROADCAST $PBT_APMSUSPEND 0
sleep 0.2
watch_start 2
watched
expect_eq "going to sleep draws nothing" "$WATCHED" "no change"
watch_start 3
driver post Velta $WM_POWERBROADCAST $PBT_APMRESUMEAUTOMATIC 0
watched
check "waking from sleep draws the face at once ($WATCHED)" [ "$WATCHED" != "no change" ]
driver post Velta $WM_WTSSESSION_CHANGE $WTS_SESSION_LOCK 1
sleep 0.2
watch_start 2
watched
expect_eq "locking the session draws nothing" "$WATCHED" "no change"
watch_start 3
driver post Velta $WM_WTSSESSION_CHANGE $WTS_SESSION_UNLOCK 1
watched
check "unlocking it draws the face at once ($WATCHED)" [ "$WATCHED" != "no change" ]
sleep 0.5
shot "$SHOTS/desktop_after_resume.png"

# ---- the taskbar recreated (Explorer restarted) ----
expect_eq "the tray icon is there" "$(tray_visible)" 1
driver tray-delete Velta
check "a new shell knows no icons" tray_becomes 0
driver taskbar-created Velta
check "TaskbarCreated puts the clock's icon back" tray_becomes 1
driver command Velta $ID_TASKTRAY
check "TaskTray off removes it" tray_becomes 0
driver taskbar-created Velta
sleep 1
check "with TaskTray off it stays away" [ "$(tray_visible)" != 1 ]
driver command Velta $ID_TASKTRAY
check "TaskTray on brings it back" tray_becomes 1

# ---- the keyboard's context menu opens at the clock's top-left corner ----
# Without a window manager the keys go to the window under the pointer: it stays on the clock.
xdotool mousemove 250 180; sleep 0.3
xdotool click 1; sleep 0.8
xdotool key shift+F10
read -r ml mt mr mb <<<"$(driver menu 5)"
expect_eq "Shift+F10 opens the context menu at the clock's corner" "$ml $mt" "100 80"
sleep 0.5
shot "$SHOTS/desktop_keyboard_menu.png"
xdotool key Escape; sleep 0.4
xdotool mousemove 250 180; sleep 0.3
xdotool key Menu
read -r ml mt mr mb <<<"$(driver menu 5)"
expect_eq "and so does the menu key" "$ml $mt" "100 80"
xdotool key Escape; sleep 0.4
xdotool mousemove 1000 700

# ---- the new second shows as it turns ----
# The face shows the seconds, so it is drawn as each second begins (the minute is one of them).
turned=$(driver watch Velta 3)
shot "$SHOTS/desktop_minute.png"
ms=$(awk -F'[:.]' '{ print $4 + 0 }' <<<"$turned")
check "the face shows the new second within 0.25 s after it turns (drawn at $turned)" \
  eval '[ -n "$ms" ] && [ "$ms" -lt 250 ]'

driver command Velta $ID_EXIT
check "Exit ends the clock" velta_ended 10
