#!/usr/bin/env bash
# The end of QuickTimers under a read-only settings file: two QuickTimers end
# one after the other while the "read-only" message is open; the clock lives on,
# both end, the message is shown once. The message window is a window of its
# own in the taskbar; it blinks, and stays steadily inverted when animations
# are turned off in the system.
source "$(dirname "$0")/lib.sh"
trap 'stop_velta; driver animations 1 >/dev/null; chmod u+w "$dir/Velta.ini" 2>/dev/null' EXIT
REG='HKCU\Software\Orvex'"'"'s Applications\Velta\QuickTimer'
wine reg delete "$REG" /f >/dev/null 2>&1
driver animations 1 >/dev/null

# start_quicktimer MINUTES: a QuickTimer with the message window alone.
start_quicktimer() {
  driver command Velta $ID_QUICKTIMER
  driver dialog-title Velta 10 >/dev/null
  driver dialog-set Velta $IDC_QT_MINUTES "$1"
  driver dialog-check Velta $IDC_QT_COUNTER 0
  driver dialog-check Velta $IDC_QT_MESSAGE 1
  driver dialog-click Velta $IDOK
  sleep 0.8
}
# The time-up windows of the clock's process (their OK buttons show), one a line. While the
# message box (captioned "Velta" too) is open the driver may take it for the clock.
timeup_windows() { driver popups Velta | awk '$6 == 1'; }
# corner_colours HWND NAME: four shots a quarter second apart, and the colour 20 pixels into the
# window's corner in each (the message window opens beside the clock, wherever that is).
corner_colours() {
  local x y i colours=
  read -r x y _ <<<"$(driver window-info "$1" | sed -n 's/^rect //p')"
  for i in 1 2 3 4; do
    shot "$SHOTS/$2_$i.png"
    colours="$colours $(pixel "$SHOTS/$2_$i.png" $((x + 20)) $((y + 20)))"
    sleep 0.25
  done
  echo "$colours"
}
wait_timeup() {  # wait_timeup COUNT SECONDS
  local i
  for i in $(seq $(( $2 * 2 ))); do [ "$(timeup_windows | grep -c .)" = "$1" ] && return 0; sleep 0.5; done
  return 1
}

dir=$(sandbox quicktimer_timeup)
printf '[Settings]\r\nFormat=%%H:%%M\r\n' >"$dir/Velta.ini"
chmod a-w "$dir/Velta.ini"
before=$(md5sum <"$dir/Velta.ini")
start_velta "$dir"
check "the clock window appears" driver wait Velta 60 >/dev/null
driver move Velta 560 520  # off the place where the QuickTimer's windows open
sleep 1
start_quicktimer .5
start_quicktimer .1
wait_timeup 1 15
list=$(timeup_windows)
expect_eq "the shorter QuickTimer's message window opens first" "$(echo "$list" | grep -c .)" 1
read -r second _ <<<"$list"
info=$(driver window-info "$second")
exstyle=$(echo "$info" | sed -n 's/^exstyle //p')
check "it has a taskbar button (WS_EX_APPWINDOW, not a tool window: $exstyle)" \
  [ $((exstyle & 0x40000)) -ne 0 -a $((exstyle & 0x80)) -eq 0 ]
expect_eq "it is owned by no window" "$(echo "$info" | sed -n 's/^owner //p')" 0
expect_eq "its taskbar button reads" "$(echo "$info" | sed -n 's/^title //p')" "Time is Up !"
colours=$(corner_colours "$second" timeup_blink)
check "it blinks with animations on ($colours)" \
  [ "$(echo $colours | tr ' ' '\n' | sort -u | tr '\n' ' ')" = "#000000 #FFFFFF " ]

# Dismissed: its QuickTimer ends and cannot store its windows: the message comes after the poll.
driver click-ok "$second"
text=$(driver msgbox 5)
check "the read-only message is shown ($text)" grep -q "read-only" <<<"$text"
shot "$SHOTS/timeup_read_only_message.png"
# While it is open the other QuickTimer ends too, and is dismissed under the open message.
wait_timeup 1 40
list=$(timeup_windows)
expect_eq "the other message window opens behind the message" "$(echo "$list" | grep -c .)" 1
read -r first _ <<<"$list"
driver click-ok "$first"
sleep 1.5
check "the clock is still running" kill -0 "$VELTA_PID"
expect_eq "no QuickTimer window is left" "$(timeup_windows | grep -c .)" 0
driver msgbox-press $IDOK >/dev/null
sleep 1.5
check "the message is shown once" [ "$(driver message-box 1 | head -n 1)" = "no message box" ]
check "the clock survives it all" kill -0 "$VELTA_PID"
shot "$SHOTS/timeup_after.png"
expect_eq "the read-only file is untouched" "$(md5sum <"$dir/Velta.ini")" "$before"
driver key Velta $VK_ESCAPE
check "Esc ends the clock" velta_ended 10

# Animations turned off: the message window stays inverted instead of blinking.
chmod u+w "$dir/Velta.ini"
check "animations are turned off" driver animations 0 >/dev/null
start_velta "$dir"
driver wait Velta 60 >/dev/null
driver move Velta 560 520
sleep 1
start_quicktimer .1
wait_timeup 1 15
sleep 0.5
read -r steady _ <<<"$(timeup_windows)"
colours=$(corner_colours "$steady" timeup_steady)
check "it stays inverted without animations ($colours)" \
  [ "$(echo $colours | tr ' ' '\n' | sort -u | tr '\n' ' ')" = "#FFFFFF " ]
read -r win _ <<<"$(driver popups Velta)"
driver click-ok "$win"
sleep 1.5
option=$(value_of "$dir/Velta.ini" Option)
msg=$(tr -d '\r' <"$dir/Velta.ini" | sed -n '/^\[QuickTimerMsg\]/,/^\[/p' | sed -n 's/^Option=//p')
check "the message window's stored option word has no inverted bit ($msg)" [ $((msg & 0x10)) -eq 0 ]
driver animations 1 >/dev/null

# A program that cannot be started at the end is told, in a box after the poll.
driver command Velta $ID_QUICKTIMER
driver dialog-title Velta 10 >/dev/null
driver dialog-set Velta $IDC_QT_MINUTES .05
driver dialog-check Velta $IDC_QT_COUNTER 0
driver dialog-check Velta $IDC_QT_MESSAGE 0
driver dialog-check Velta $IDC_QT_EXECUTE 1
driver dialog-set Velta $IDC_QT_APP 'no_such_program.exe'
driver dialog-click Velta $IDOK
text=$(driver msgbox 15)
check "a program that did not start is told (${text//$'\n'/ })" grep -q "could not start no_such_program.exe" <<<"$text"
driver msgbox-press $IDOK >/dev/null
sleep 0.5
check "the clock lives on" kill -0 "$VELTA_PID"
driver key Velta $VK_ESCAPE
check "Esc ends the clock" velta_ended 10
