#!/usr/bin/env bash
# When the clock stores its settings: at once for TaskTray, Use menu icons, Window
# Frame and Transparent; not for Topmost, which is stored on the next occasion
# (losing the activation, or the end); Exit and Enter both end with a save.
source "$(dirname "$0")/lib.sh"
trap stop_velta EXIT

value_of() { [ -f "$1" ] && tr -d '\r' <"$1" | sed -n "s/^$2=//p" | head -n 1; }
info_of() { driver info Velta | sed -n "s/^$1 //p"; }
# Waits up to 5 s for the INI's value to become the expected one.
wait_value() {  # wait_value FILE KEY EXPECTED
  local i
  for i in $(seq 50); do
    [ "$(value_of "$1" "$2")" = "$3" ] && return 0
    sleep 0.1
  done
  return 1
}

dir=$(sandbox settings_occasions)
ini=$dir/Velta.ini
start_velta "$dir"
check "the clock starts" wait_window
sleep 1
check "nothing is written while only reading" [ ! -e "$ini" ]

# Option starts at 0x30008 (196616).
cases=(
  "$ID_TASKTRAY TaskTray 131080"          # tray icon off: 0x20008
  "$ID_MENU_ICONS 'Use menu icons' 8"       # menu icons off: 0x8
  "$ID_WINDOW_FRAME 'Window Frame' 12"        # frameless: 0xC
  "$ID_TRANSPARENT Transparent 14"           # see-through: 0xE
)
for c in "${cases[@]}"; do
  eval "set -- $c"
  driver command Velta "$1"
  check "$2 stores the option word at once ($3)" wait_value "$ini" Option "$3"
done

driver command Velta $ID_TOPMOST
sleep 1
expect_eq "Topmost is not stored at once" "$(value_of "$ini" Option)" 14
expect_eq "but the window leaves the topmost band" "$(info_of topmost)" 0
# Another application becomes active.
driver post Velta $WM_ACTIVATEAPP 0 0
check "losing the activation stores Topmost off (6)" wait_value "$ini" Option 6
sleep 0.5
expect_eq "and does not raise the clock" "$(info_of topmost)" 0

driver command Velta $ID_TOPMOST
sleep 0.5
driver command Velta $ID_EXIT
check "Exit ends the clock" velta_ended 10
expect_eq "Exit stored Topmost on again (14)" "$(value_of "$ini" Option)" 14

# Enter ends the clock like OK, with the same save.
start_velta "$dir"
check "the clock starts again with the stored options" wait_window
sleep 1
expect_eq "frameless after the restart" "$(info_of thickframe)" 0
driver command Velta $ID_TOPMOST
sleep 0.3
driver key Velta $VK_RETURN
check "Enter ends the clock" velta_ended 10
expect_eq "Enter stored Topmost off (6)" "$(value_of "$ini" Option)" 6

# Losing the activation with nothing changed writes nothing: the same bytes, the same time,
# no temporary file beside it.
start_velta "$dir"
check "the clock starts once more" wait_window
sleep 1
touch -d '2001-02-03 04:05:06' "$ini"
sum=$(md5sum <"$ini")
stamp=$(stat -c %Y "$ini")
files=$(ls -A "$dir" | tr '\n' ' ')
for i in 1 2 3; do
  driver post Velta $WM_ACTIVATEAPP 0 0
  sleep 0.4
done
sleep 0.5
expect_eq "nothing changed: the same bytes" "$(md5sum <"$ini")" "$sum"
expect_eq "nothing changed: the same modification time" "$(stat -c %Y "$ini")" "$stamp"
expect_eq "nothing changed: no other file" "$(ls -A "$dir" | tr '\n' ' ')" "$files"
driver command Velta $ID_TOPMOST
sleep 0.3
driver post Velta $WM_ACTIVATEAPP 0 0
check "a change is still stored at the next occasion (Topmost on: 14)" wait_value "$ini" Option 14
driver command Velta $ID_EXIT
check "Exit ends the clock" velta_ended 10
