#!/usr/bin/env bash
# A QuickTimer from the clock's command to its end: the dialog, the cell, the
# counter window counting, "Time is Up !" flashing, OK dismissing both, the
# stored settings; then sound and application actions; the Japanese dialog.
source "$(dirname "$0")/lib.sh"
trap 'stop_velta; WINEPREFIX=$VELTA_BASE_PREFIX-ja wineserver -k 2>/dev/null' EXIT
REG='HKCU\Software\Orvex'"'"'s Applications\Velta\QuickTimer'
wine reg delete "$REG" /f >/dev/null 2>&1
# The clock is moved below where the QuickTimer's windows open and where the notification of a
# time-up shows (under Wine at the top left of the screen).
CLOCK_Y=300
# Brightness (0-1000) of the first cell's place on the clock: 0 where the black face shows.
cell_light() { convert "$1" -crop 20x20+4+$((CLOCK_Y + 92)) +repage -format '%[fx:int(mean*1000)]' info: 2>/dev/null; }

dir=$(sandbox quicktimer)
start_velta "$dir"
check "the clock window appears" driver wait Velta 60 >/dev/null
driver move Velta 0 $CLOCK_Y
sleep 1
driver command Velta $ID_QUICKTIMER
title=$(driver dialog-title Velta 10)
expect_eq "QuickTimer... opens the QuickTimer dialog" "$title" "QuickTimer"
sleep 0.5
shot "$SHOTS/quicktimer_dialog.png"
driver dialog-set Velta $IDC_QT_MINUTES .1
driver dialog-click Velta $IDOK
sleep 1.2
popups=$(driver popups Velta)
expect_eq "one counter window while counting" "$(echo "$popups" | grep -c .)" 1
read -r counter l t r b okv <<<"$(echo "$popups" | head -n 1)"
# A new counter window opens below the clock (400 x 200), wide enough for its text.
expect_eq "the counter window opens below the clock, 200 high" "$l $t $((b - t))" "0 $((CLOCK_Y + 200)) 200"
check "and at least 400 wide ($((r - l)))" [ $((r - l)) -ge 400 ]
expect_eq "its OK button is hidden while counting" "$okv" 0
# Drag the counter window away with the real mouse; the cell shows on the clock beneath.
xdotool mousemove 200 $((t + 60)) mousedown 1 sleep 0.3 mousemove 400 $((t + 60)) sleep 0.3 mousemove 600 $((t + 60)) sleep 0.3 mouseup 1
sleep 0.6
shot "$SHOTS/quicktimer_counting.png"
read -r counter l t r b okv <<<"$(driver popups Velta | head -n 1)"
check "the counter window was dragged ($l,$t)" [ "${l:-0}" -gt 100 ]
light=$(cell_light "$SHOTS/quicktimer_counting.png")
check "a cell is drawn on the clock (brightness $light)" [ "${light:-0}" -gt 200 ]
sleep 6
popups=$(driver popups Velta)
expect_eq "at expiry the message window is open too" "$(echo "$popups" | grep -c .)" 2
check "both show their OK buttons" [ "$(echo "$popups" | awk '{s+=$6} END {print s}')" = 2 ]
# The message window opens right of the clock; the counter window is where it was dragged.
read -r _ ml mt _ <<<"$(echo "$popups" | awk -v t="$t" '$3 != t' | head -n 1)"
colours=
for i in 1 2 3 4 5 6; do
  shot "$SHOTS/quicktimer_up_$i.png"
  colours="$colours $(pixel "$SHOTS/quicktimer_up_$i.png" $((${ml:-0} + 20)) $((${mt:-0} + 20)))"
  sleep 0.2
done
check "\"Time is Up !\" flashes between normal and inverted ($colours)" \
  [ "$(echo $colours | tr ' ' '\n' | sort -u | tr '\n' ' ')" = "#000000 #FFFFFF " ]
for w in $(echo "$popups" | awk '{print $1}'); do driver click-ok "$w"; sleep 0.8; done
sleep 1
expect_eq "OK dismisses both windows" "$(driver popups Velta | grep -c .)" 0
shot "$SHOTS/quicktimer_done.png"
expect_eq "the cell is gone" "$(cell_light "$SHOTS/quicktimer_done.png")" 0
expect_eq "the minutes are stored in the registry" "$(wine reg query "$REG" /v Timer 2>/dev/null | tr -d '\r' | grep -o '0x[0-9a-fA-F]*')" "0x1770"
check "the counter window's look and place are in the INI" grep -q '^\[QuickTimerDlg\]' "$dir/Velta.ini"
check "the message window's too" grep -q '^\[QuickTimerMsg\]' "$dir/Velta.ini"
check "the dragged position is stored" grep -q "^left=$l" "$dir/Velta.ini"

# The next QuickTimer's counter window opens where the last was left.
driver command Velta $ID_QUICKTIMER
driver dialog-title Velta 10 >/dev/null
driver dialog-set Velta $IDC_QT_MINUTES 5
driver dialog-click Velta $IDOK
sleep 1.2
read -r counter l2 t2 r2 b2 okv <<<"$(driver popups Velta | head -n 1)"
expect_eq "the next counter window reopens where it was left" "$l2 $t2" "$l $t"
# Its context menu.
xdotool mousemove $((l2 + 100)) $((t2 + 60)) click 3
sleep 0.8
shot "$SHOTS/quicktimer_counter_menu.png"
xdotool key Escape
sleep 0.3
driver key Velta $VK_ESCAPE
check "Esc ends the clock with a QuickTimer running" velta_ended 10

# Sound and application actions: a WAV loop that plays or fails quietly, and a helper that leaves a mark.
dir=$(sandbox quicktimer_actions)
cp "$VELTA_BUILD/tests/qt_helper.exe" "$dir/"
printf 'RIFF\x34\x00\x00\x00WAVEfmt \x10\x00\x00\x00\x01\x00\x01\x00\x40\x1f\x00\x00\x40\x1f\x00\x00\x01\x00\x08\x00data\x10\x00\x00\x00\x80\x80\x80\x80\x80\x80\x80\x80\x80\x80\x80\x80\x80\x80\x80\x80' >"$dir/bell.wav"
start_velta "$dir"
driver wait Velta 60 >/dev/null
driver move Velta 0 $CLOCK_Y
sleep 1
driver command Velta $ID_QUICKTIMER
driver dialog-title Velta 10 >/dev/null
driver dialog-set Velta $IDC_QT_MINUTES .02
driver dialog-check Velta $IDC_QT_COUNTER 0
driver dialog-check Velta $IDC_QT_MESSAGE 0
driver dialog-check Velta $IDC_QT_SOUND 1
driver dialog-set Velta $IDC_QT_WAVE 'bell.wav'
driver dialog-set Velta $IDC_QT_SECONDS 1
driver dialog-check Velta $IDC_QT_EXECUTE 1
driver dialog-set Velta $IDC_QT_APP 'qt_helper.exe'
driver dialog-set Velta $IDC_QT_PARAM 'qt_helper.exe mark.txt'
driver dialog-click Velta $IDOK
sleep 4
check "the application action started the helper (it left its mark)" [ -f "$dir/mark.txt" ]
check "the clock still answers after the sound played" driver wait Velta 2
shot "$SHOTS/quicktimer_actions_done.png"
expect_eq "the entry ended after its play time (no cell)" "$(cell_light "$SHOTS/quicktimer_actions_done.png")" 0
driver key Velta $VK_ESCAPE
velta_ended 10

# The Japanese dialog.
export WINEPREFIX=$(velta_wine_prefix_ja)
dir=$(sandbox quicktimer_ja)
start_velta "$dir" LANG=ja_JP.UTF-8 LC_ALL=ja_JP.UTF-8
driver wait Velta 60 >/dev/null
sleep 1
driver command Velta $ID_QUICKTIMER
title=$(LANG=ja_JP.UTF-8 LC_ALL=ja_JP.UTF-8 driver dialog-title Velta 10)
expect_eq "the Japanese QuickTimer dialog" "$title" "クイックタイマー"
sleep 0.5
shot "$SHOTS/quicktimer_dialog_ja.png"
driver close-dialog Velta
sleep 0.5
driver key Velta $VK_ESCAPE
velta_ended 10
