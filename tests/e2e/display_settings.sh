#!/usr/bin/env bash
# The display settings dialog on the running clock, opened from the context
# menu and driven with the real mouse and keyboard: a two-line format and a colour picked from the grid reach the
# clock after OK; Cancel changes nothing. Then the Japanese dialog.
source "$(dirname "$0")/lib.sh"
trap 'stop_velta; WINEPREFIX=$VELTA_BASE_PREFIX-ja wineserver -k 2>/dev/null' EXIT

# item_rect ID -> "L T R B" of a control of the dialog the clock owns
item_rect() { driver dialog-item Velta "$1" | sed -n 's/^rect //p'; }
item_text() { driver dialog-item Velta "$1" | sed -n 's/^text //p'; }
item_enabled() { driver dialog-item Velta "$1" | sed -n 's/^enabled //p'; }
# click_item ID [DX DY]: a left click at the centre of a control, or at an offset from its top-left corner
click_item() {
  local l t r b
  read -r l t r b <<<"$(item_rect "$1")"
  if [ $# -ge 3 ]; then xdotool mousemove $(( l + $2 )) $(( t + $3 )) click 1
  else xdotool mousemove $(( (l + r) / 2 )) $(( (t + b) / 2 )) click 1; fi
  sleep 0.4
}
# pick_cell BUTTON COLUMN ROW: drops the grid of a colour button and clicks one cell
pick_cell() {
  local l t r b
  read -r l t r b <<<"$(item_rect "$1")"
  xdotool mousemove $(( (l + r) / 2 )) $(( (t + b) / 2 )) click 1
  sleep 0.6
  shot "$SHOTS/display_settings_grid.png"
  # The grid opens at the button's bottom-left corner; its cells are about 28 x 20 pixels.
  xdotool mousemove $(( l + 15 + 28 * $2 )) $(( b + 11 + 20 * $3 )) click 1
  sleep 0.6
}
# open_from_menu X Y: right click on the clock, point at "Display Setting..."
# and click it. It is the seventh item, after one separator: with the menu's
# 18-pixel items and 9-pixel separators its middle lies 129 pixels below the
# menu's top edge.
open_from_menu() {
  xdotool mousemove "$1" "$2"; sleep 0.3
  xdotool click 3
  local ml mt mr mb
  read -r ml mt mr mb <<<"$(driver menu 5)"
  # The "before" picture is taken once the menu has stopped changing: a menu
  # caught while it is still being drawn differs from the next picture everywhere.
  local i
  shot "$SHOTS/display_settings_menu_before.png"
  for i in 1 2 3 4 5 6 7 8; do
    sleep 0.3
    shot "$SHOTS/display_settings_menu_settled.png"
    [ "$(compare -metric AE "$SHOTS/display_settings_menu_before.png" "$SHOTS/display_settings_menu_settled.png" \
      null: 2>&1)" = 0 ] && break
    mv "$SHOTS/display_settings_menu_settled.png" "$SHOTS/display_settings_menu_before.png"
  done
  xdotool mousemove $(( ml + 60 )) $(( mt + 129 )); sleep 0.5
  shot "$SHOTS/display_settings_menu.png"
  # The item under the mouse is highlighted: where the two pictures differ strongly.
  local w h x y
  read -r w h x y <<<"$(convert "$SHOTS/display_settings_menu_before.png" "$SHOTS/display_settings_menu.png" \
    -compose difference -composite -colorspace gray -threshold 40% -format '%@' info: 2>/dev/null |
    sed -E 's/^([0-9]+)x([0-9]+)\+(-?[0-9]+)\+(-?[0-9]+)$/\1 \2 \3 \4/')"
  check "the pointed item is one highlighted menu line (${w}x${h} at $x,$y)" \
    [ $(( ${h:-0} > 10 && ${h:-0} < 30 && ${w:-0} > 100 )) -eq 1 ]
  xdotool click 1
}
# Centre pixel colour of the preview's inside, away from the text.
preview_pixel() {
  local l t r b
  read -r l t r b <<<"$(item_rect $IDC_PREVIEW)"
  shot "$SHOTS/display_settings_now.png"
  pixel "$SHOTS/display_settings_now.png" $(( l + 4 )) $(( t + 4 ))
}

dir=$(sandbox display_settings)
start_velta "$dir"
check "the clock window appears" driver wait Velta 60
sleep 1.5

open_from_menu 200 150
expect_eq "Display Setting... of the context menu opens the dialog" "$(driver dialog-title Velta 10)" "Display Setting"
sleep 0.8
shot "$SHOTS/display_settings_open.png"
expect_eq "the format edit holds the clock's format" "$(item_text $IDC_FORMAT)" "%Y/%m/%d (%a) %H:%M"
expect_eq "single line: the alignment radios are disabled" "$(item_enabled $IDC_ALIGN_RIGHT)" 0
expect_eq "the preview shows the clock's black background" "$(preview_pixel)" "#000000"

# Type a two-line format over the old one.
click_item $IDC_FORMAT
xdotool key ctrl+a
xdotool type --delay 40 'Now %H:%M'
xdotool key Return
xdotool type --delay 40 '%d.%m.%Y'
sleep 0.5
expect_eq "the typed format has two lines" "$(item_text $IDC_FORMAT)" 'Now %H:%M\n%d.%m.%Y'
expect_eq "two lines: the alignment radios are enabled" "$(item_enabled $IDC_ALIGN_RIGHT)" 1

# Background: the red cell (third column, second row) of the grid.
pick_cell $IDC_BACK_COLOUR 2 1
expect_eq "the picked colour shows in the preview at once" "$(preview_pixel)" "#FF0000"
click_item $IDC_ALIGN_RIGHT
shot "$SHOTS/display_settings_edited.png"
click_item $IDOK
check "OK closes the dialog" driver gone "Display Setting" 5
sleep 1

shot "$SHOTS/display_settings_clock.png"
red=$(count_colour "$SHOTS/display_settings_clock.png" 392 192 4 4 '#FF0000')
check "the clock's background is red now ($red pixels)" [ "${red:-0}" -gt 60000 ]
read -r w h x y <<<"$(convert "$SHOTS/display_settings_clock.png" -crop 392x192+4+4 +repage -fill black +opaque '#FFFFFF' \
  -format '%@' info: | sed -E 's/^([0-9]+)x([0-9]+)\+(-?[0-9]+)\+(-?[0-9]+)$/\1 \2 \3 \4/')"
check "the clock shows two lines of text ($w x $h pixels of ink)" [ $(( ${h:-0} > 40 && ${h:-0} < 80 )) -eq 1 ]

# OK saved every setting at once, the format's line break as the store's mark.
ini=$dir/Velta.ini
ini_value() { tr -d '\r' <"$ini" | sed -n "s/^$1=//p" | head -n 1; }
check "OK wrote the settings file" [ -f "$ini" ]
expect_eq "the INI holds the background colour" "$(ini_value BackColor)" 255
expect_eq "the INI holds the alignment" "$(ini_value FlagDT)" 2
expect_eq "the INI holds the two-line format (line break as |)" "$(ini_value Format | tr '\037' '|')" 'Now %H:%M|%d.%m.%Y'
saved=$(md5sum <"$ini")

# Cancel after changes leaves the clock and its settings as they are; this
# time the command comes as a message.
driver command Velta $ID_DISPLAY_SETTING
driver dialog-title Velta 10 >/dev/null
sleep 0.8
expect_eq "the dialog opens with the saved format" "$(item_text $IDC_FORMAT)" 'Now %H:%M\n%d.%m.%Y'
click_item $IDC_FORMAT
xdotool key ctrl+a
xdotool type --delay 40 'changed'
pick_cell $IDC_BACK_COLOUR 2 4
expect_eq "the preview follows the new colour" "$(preview_pixel)" "#0000FF"
click_item $IDCANCEL
check "Cancel closes the dialog" driver gone "Display Setting" 5
sleep 1
shot "$SHOTS/display_settings_cancelled.png"
red2=$(count_colour "$SHOTS/display_settings_cancelled.png" 392 192 4 4 '#FF0000')
# Same colours; the count may move a little when the minute turns between the two shots.
diff=$(( ${red2:-0} - ${red:-0} )); diff=${diff#-}
check "after Cancel the clock looks as before ($red2 red pixels, $red before)" [ "$diff" -lt 600 ]
expect_eq "and the settings file is untouched" "$(md5sum <"$ini")" "$saved"

driver key Velta $VK_ESCAPE
check "Esc ends the clock" velta_ended 10

# The next start shows what was chosen.
start_velta "$dir"
check "the clock starts again" driver wait Velta 60
sleep 1.5
shot "$SHOTS/display_settings_restart.png"
red3=$(count_colour "$SHOTS/display_settings_restart.png" 392 192 4 4 '#FF0000')
check "after a restart the background is still red ($red3 pixels)" [ "${red3:-0}" -gt 60000 ]
driver command Velta $ID_DISPLAY_SETTING
driver dialog-title Velta 10 >/dev/null
sleep 0.5
expect_eq "and the dialog opens with the two-line format" "$(item_text $IDC_FORMAT)" 'Now %H:%M\n%d.%m.%Y'
expect_eq "with right alignment checked" "$(driver dialog-item Velta 1011 | sed -n "s/^checked //p")" 1
driver close-dialog Velta
sleep 0.5
driver key Velta $VK_ESCAPE
check "Esc ends the clock" velta_ended 10

# Japanese: the same dialog from the Japanese resource set.
export WINEPREFIX=$(velta_wine_prefix_ja)
# Add in a double-byte code page too: the token goes between characters, never inside one.
out=$(cd "$VELTA_BUILD/tests" && LANG=ja_JP.UTF-8 LC_ALL=ja_JP.UTF-8 \
  wine ./velta_win_tests.exe --gtest_filter='DisplaySettingsDialogTest.AddKeepsEveryCharacterWhole' </dev/null 2>&1 | tr -d '\r')
check "Add keeps every character whole under the Japanese code page" \
  grep -q '^\[  PASSED  \] 1 test' <<<"$out"
dir=$(sandbox display_settings_ja)
start_velta "$dir" LANG=ja_JP.UTF-8 LC_ALL=ja_JP.UTF-8
check "the clock starts under a Japanese locale" driver wait Velta 60
sleep 1
driver command Velta $ID_DISPLAY_SETTING
title=$(LANG=ja_JP.UTF-8 LC_ALL=ja_JP.UTF-8 driver dialog-title Velta 10)
expect_eq "the Japanese dialog's title" "$title" "表示設定"
expect_eq "the Japanese Add button" "$(LANG=ja_JP.UTF-8 LC_ALL=ja_JP.UTF-8 item_text $IDC_ADD_TOKEN)" "追加(&A)"
sleep 0.8
shot "$SHOTS/display_settings_ja.png"
driver close-dialog Velta
sleep 0.5
driver key Velta $VK_ESCAPE
check "Esc ends the Japanese clock" velta_ended 10
