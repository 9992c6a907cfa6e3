#!/usr/bin/env bash
# The clock as a screen reader and a keyboard user meet it, from another process: the clock's
# and a counter window's client areas are named with what they show (AccessibleObjectFromWindow),
# a format with seconds is drawn each second, the context menu with icons answers typed first
# letters and is looked at in the usual and in a high-contrast scheme; with a dialog of the clock
# open, its commands and Exit bring that dialog forward and leave exactly one and the clock.
source "$(dirname "$0")/lib.sh"
trap 'stop_velta; WINEPREFIX=$VELTA_ROOT/build/wineprefix-contrast wineserver -k 2>/dev/null' EXIT
REG='HKCU\Software\Orvex'"'"'s Applications\Velta\QuickTimer'
wine reg delete "$REG" /f >/dev/null 2>&1
field() { echo "$1" | sed -n "s/^$2 //p"; }
# Seconds since midnight of "HH:MM:SS".
secs() { local h m s; IFS=: read -r h m s <<<"$1"; echo $(( 10#${h:-0} * 3600 + 10#${m:-0} * 60 + 10#${s:-0} )); }
# True when "HH:MM:SS" $1 is $2 or the second before it (read a moment after it was drawn).
just_before() { local d=$(( $(secs "$2") - $(secs "$1") )); [ -n "$1" ] && { [ $d -eq 0 ] || [ $d -eq 1 ] || [ $d -eq -86399 ]; }; }

dir=$(sandbox accessibility)
printf '[Settings]\r\nleft=40\r\ntop=40\r\nright=440\r\nbottom=240\r\nFormat=%%H:%%M:%%S\r\n' >"$dir/Velta.ini"
start_velta "$dir"
check "the clock window appears" wait_window
sleep 1

# ---- the shown time, as screen readers read it ----
info=$(driver accessible Velta)
name=$(field "$info" name)
now=$(date +%H:%M:%S)
check "the clock's client area is named with the time it shows ($name at $now)" just_before "$name" "$now"
check "and its title stays for programs that find it by title" wait_window Velta 1
sleep 1.2
later=$(field "$(driver accessible Velta)" name)
check "a second later the name is the next time ($name, $later)" [ -n "$later" ] && [ "$later" != "$name" ]

# ---- %S ticks: two pictures a second apart differ ----
shot "$SHOTS/a11y_seconds_1.png"
sleep 1
shot "$SHOTS/a11y_seconds_2.png"
diff=$(compare -metric AE -crop 400x200+40+40 "$SHOTS/a11y_seconds_1.png" "$SHOTS/a11y_seconds_2.png" null: 2>&1)
check "with %S the face is drawn again each second ($diff pixels differ)" [ "${diff%% *}" -gt 0 ]

# ---- the context menu with icons: names and first letters ----
xdotool mousemove 240 140 click 3
driver menu 5 >/dev/null
sleep 0.4
shot "$SHOTS/a11y_menu.png"
names=$(driver menu-names 2)
if [ "$names" = "no accessible menu" ]; then
  echo "# Wine's oleacc has no menu object: the names are checked in the item data (ContextMenuNames)"
else
  check "the menu's items have names ($(echo "$names" | head -n 1))" bash -c "echo '$names' | grep -q 'QuickTimer'"
fi
xdotool key q
title=$(driver dialog-title Velta 5)
expect_eq "typing q in the menu chooses QuickTimer..." "$title" "QuickTimer"
driver close-dialog Velta
sleep 0.5

# ---- a counter window's time left ----
driver command Velta $ID_QUICKTIMER
driver dialog-title Velta 5 >/dev/null
driver dialog-set Velta $IDC_QT_MINUTES 2
driver dialog-check Velta $IDC_QT_COUNTER 1
driver dialog-click Velta $IDOK
sleep 1.5
read -r counter _ <<<"$(driver popups Velta | head -n 1)"
cname=$(field "$(driver accessible "$counter")" name)
check "the counter window's client area is named with its time left ($cname)" \
  bash -c "[[ '$cname' =~ ^Remaining\ 1\ minutes\ and\ 5[0-9]\ seconds\ \!$ ]]"
driver command Velta $ID_QT_STOP >/dev/null  # the cell menu's Stop acts on the selected cell (none): harmless

# ---- a dialog open: its command again, the tray menu's, Exit ----
driver command Velta $ID_TIME_ADJUST
expect_eq "Time adjustment... opens its dialog" "$(driver dialog-title Velta 5)" "Time adjustment"
driver command Velta $ID_TIME_ADJUST
driver command Velta $ID_TIME_ADJUST
driver post Velta $TRAY_CALLBACK 1 $WM_LBUTTONUP >/dev/null
driver menu 5 >/dev/null && xdotool key Escape
driver command Velta $ID_EXIT
driver close Velta
sleep 1
expect_eq "exactly one Time adjustment dialog" "$(field "$(driver count 'Time adjustment')" windows)" 1
check "the clock is still there behind it" wait_window Velta 1
check "and its process runs" kill -0 "$VELTA_PID"
shot "$SHOTS/a11y_one_dialog.png"
driver close-dialog Velta
sleep 0.5
driver command Velta $ID_EXIT
check "with the dialog closed, Exit ends the clock" velta_ended 10

# ---- the menu in a high-contrast scheme (a copy of the prefix with those colours) ----
contrast=$VELTA_ROOT/build/wineprefix-contrast
rm -rf "$contrast"
cp -a "$WINEPREFIX" "$contrast"
(
  export WINEPREFIX=$contrast
  for pair in "Menu=0 0 0" "MenuText=255 255 255" "Hilight=26 235 255" "HilightText=0 0 0" "GrayText=63 242 63" \
              "Window=0 0 0" "WindowText=255 255 255" "ButtonFace=0 0 0" "ButtonText=255 255 255"; do
    wine reg add 'HKCU\Control Panel\Colors' /v "${pair%%=*}" /d "${pair#*=}" /f </dev/null >/dev/null 2>&1
  done
  wineserver -w
)
WINEPREFIX=$contrast start_velta "$dir"
WINEPREFIX=$contrast wine "$VELTA_BUILD/tests/velta_driver.exe" wait Velta 20 </dev/null >/dev/null 2>&1
sleep 1
xdotool mousemove 240 140 click 3
sleep 1
xdotool key Down Down Down Down Down Down
sleep 0.4
shot "$SHOTS/a11y_menu_contrast.png"
gray=$(count_colour "$SHOTS/a11y_menu_contrast.png" 300 500 240 140 '#3FF23F')
check "the grayed item is drawn in the scheme's gray text ($gray pixels)" [ "${gray:-0}" -gt 20 ]
xdotool key Escape
stop_velta
WINEPREFIX=$contrast wineserver -k 2>/dev/null
rm -rf "$contrast"
