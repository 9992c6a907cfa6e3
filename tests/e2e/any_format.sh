#!/usr/bin/env bash
# A clock format of any characters (emoji, Japanese, Cyrillic) on a system whose code page is
# 1252: typed into the display settings dialog, shown there and in its preview, stored, read
# back at the next start and drawn by the clock, also as a see-through shape.
source "$(dirname "$0")/lib.sh"
trap stop_velta EXIT
export LC_ALL= LANG=en_US.UTF-8
field() { echo "$1" | sed -n "s/^$2 //p"; }
ROOT_COLOUR='#336699'
FORMAT='🕒 時刻 %H:%M Ж 😀'

expect_eq "an English code page" "$(field "$(driver locale -)" acp)" 1252
japanese_font_links

dir=$(sandbox any_format)
start_velta "$dir"
check "the clock starts" wait_window Velta 20
sleep 1
driver command Velta $ID_DISPLAY_SETTING
driver dialog-title Velta 10 >/dev/null || not_ok "the display settings dialog opens"
sleep 0.5
driver dialog-type Velta $IDC_FORMAT "$FORMAT"
expect_eq "the dialog's edit holds what was typed" "$(field "$(driver dialog-item Velta $IDC_FORMAT)" text)" "$FORMAT"
sleep 0.5
shot "$SHOTS/any_format_dialog.png"
driver dialog-click Velta $IDOK
sleep 1
check "the format is stored whole (UTF-8, no \"?\")" grep -qF "Format=$FORMAT" "$dir/Velta.ini"
driver key Velta $VK_ESCAPE
velta_ended 10 || { not_ok "the clock ends"; stop_velta; }

# The next start reads it back and draws it.
xdotool mousemove 900 700
start_velta "$dir"
check "the clock starts again" wait_window Velta 20
sleep 1.5
shot "$SHOTS/any_format_clock_screen.png"
convert "$SHOTS/any_format_clock_screen.png" -crop 400x200+0+0 +repage "$SHOTS/any_format_clock.png"
read -r w h x y <<<"$(ink_box "$SHOTS/any_format_clock.png" 390 190 5 5)"
check "the clock draws the format (${w:-0}x${h:-0} of ink)" [ "${w:-0}" -gt 150 ]

driver key Velta $VK_ESCAPE
velta_ended 10 || { not_ok "the clock ends"; stop_velta; }

# See-through and frameless: the window's shape is the text's pixels.
sed -i -E "s/^Option=[0-9]+/Option=$((0x8 | 0x4 | 0x2))/" "$dir/Velta.ini"
start_velta "$dir"
check "the see-through clock starts" wait_window Velta 20
convert -size 1024x768 "xc:$ROOT_COLOUR" "$dir/root.png" && timeout 10 display -window root "$dir/root.png" >/dev/null 2>&1
xdotool mousemove 1000 10
sleep 2.5
shot "$SHOTS/any_format_see_through_screen.png"
convert "$SHOTS/any_format_see_through_screen.png" -crop 400x200+0+0 +repage "$SHOTS/any_format_see_through.png"
expect_eq "the background is cut away" "$(driver region Velta 5 5)" out
root=$(count_colour "$SHOTS/any_format_see_through.png" 400 200 0 0 "$ROOT_COLOUR")
white=$(count_colour "$SHOTS/any_format_see_through.png" 400 200 0 0 '#FFFFFF')
check "the desktop shows around the text ($root pixels)" [ "${root:-0}" -gt 60000 ]
check "the text's pixels are drawn in the text colour ($white)" [ "${white:-0}" -gt 300 ]
expect_eq "every other pixel is the desktop's or the text's" "$(( 80000 - ${root:-0} - ${white:-0} ))" 0
driver key Velta $VK_ESCAPE
velta_ended 10 || not_ok "the clock ends"
