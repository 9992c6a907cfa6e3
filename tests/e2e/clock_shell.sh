#!/usr/bin/env bash
# The clock window's shell with the real mouse: the context menu with and
# without icons, the see-through shape against the coloured root window,
# hovering, dragging, the tray callback, topmost and exit; then the Japanese menu.
source "$(dirname "$0")/lib.sh"
trap 'stop_velta; WINEPREFIX=$VELTA_BASE_PREFIX-ja wineserver -k 2>/dev/null' EXIT

ROOT_COLOUR='#336699'

# Number of separate runs of rows holding dark pixels (check marks) in a strip.
dark_groups() {  # dark_groups FILE W H X Y
  convert "$1" -crop "${2}x${3}+${4}+${5}" +repage -colorspace gray -depth 8 txt:- 2>/dev/null |
    sed -nE 's/^[0-9]+,([0-9]+): .*#[0-4][0-9A-Fa-f]([0-9A-Fa-f]{4})?.*/\1/p' | sort -n -u |
    awk 'BEGIN { n = 0; prev = -2 } { if ($1 != prev + 1) n++; prev = $1 } END { print n }'
}

# The first pixel of a colour in a region, as "X Y" in screen coordinates.
first_pixel() {  # first_pixel FILE W H X Y COLOUR
  convert "$1" -crop "${2}x${3}+${4}+${5}" +repage txt:- 2>/dev/null | grep -m1 -i "$6" |
    sed -E "s/^([0-9]+),([0-9]+):.*/\1 \2/" | awk -v x="$4" -v y="$5" '{ print $1 + x, $2 + y }'
}

info_value() { driver info Velta | sed -n "s/^$1 //p"; }

# Waits until `info KEY` reads VALUE; prints the tenths of a second it took.
wait_info() {  # wait_info KEY VALUE TENTHS
  local i
  for i in $(seq "$3"); do
    [ "$(info_value "$1")" = "$2" ] && { echo "$i"; return 0; }
    sleep 0.1
  done
  echo "never"; return 1
}

reaches() { wait_info "$@" >/dev/null; }

# Opens the context menu with a real right click at (X, Y); prints the menu's rect.
right_click_menu() {  # right_click_menu X Y
  xdotool mousemove "$1" "$2"; sleep 0.3
  xdotool click 3
  driver menu 5
}

close_menu() { xdotool key Escape; sleep 0.4; }

# Wine's desktop may paint the root black when it starts: colour it again once the clock is up.
paint_root() {
  convert -size 1024x768 "xc:$ROOT_COLOUR" "$1/root.png" && timeout 10 display -window root "$1/root.png" >/dev/null 2>&1
  sleep 0.5
}

dir=$(sandbox clock_shell)
start_velta "$dir"
check "the clock window appears" driver wait Velta 60
sleep 1
paint_root "$dir"

# ---- the context menu with icons (the default) ----
read -r ml mt mr mb <<<"$(right_click_menu 200 150)"
expect_eq "the menu opens at the cursor" "$ml $mt" "200 150"
sleep 0.5
shot "$SHOTS/shell_menu_icons.png"
close_menu
check "the icon menu is wider than the picture column (${ml:-?}..${mr:-?})" [ $(( ${mr:-0} - ${ml:-0} )) -gt 120 ]

# ---- the plain menu: standard check marks for TaskTray and Topmost ----
driver command Velta $ID_MENU_ICONS
read -r ml mt mr mb <<<"$(right_click_menu 200 150)"
sleep 0.5
shot "$SHOTS/shell_menu_plain.png"
close_menu
checks=$(dark_groups "$SHOTS/shell_menu_plain.png" 14 $(( mb - mt - 4 )) $(( ml + 2 )) $(( mt + 2 )))
expect_eq "two check marks with the frame shown and menu icons off" "$checks" 2

# ---- see-through: frameless and transparent ----
driver command Velta $ID_WINDOW_FRAME
driver command Velta $ID_TRANSPARENT
xdotool mousemove 700 600
sleep 1.5
shot "$SHOTS/shell_see_through.png"
expect_eq "no sizing frame" "$(info_value thickframe)" 0
expect_eq "the window keeps its rectangle" "$(info_value rect)" "0 0 400 200"
# (The shell's own tray window may sit in the top-left corner of the screen: look below it.)
expect_eq "the root shows in a corner of the face" "$(pixel "$SHOTS/shell_see_through.png" 10 190)" "$ROOT_COLOUR"
expect_eq "and in the other" "$(pixel "$SHOTS/shell_see_through.png" 390 60)" "$ROOT_COLOUR"
white=$(count_colour "$SHOTS/shell_see_through.png" 400 150 0 50 '#FFFFFF')
check "the white text stays ($white pixels)" [ "${white:-0}" -gt 100 ]
root=$(count_colour "$SHOTS/shell_see_through.png" 400 150 0 50 "$ROOT_COLOUR")
# Glyph edges are anti-aliased: a few grey pixels besides white and the root colour.
check "the rest of the face is the root ($root of 60000 pixels)" [ $(( ${root:-0} + ${white:-0} )) -gt 59000 ]
read -r tx ty <<<"$(first_pixel "$SHOTS/shell_see_through.png" 400 150 0 50 '#FFFFFF')"
expect_eq "the window region holds a text pixel ($tx,$ty)" "$(driver region Velta "$tx" "$ty")" in
expect_eq "and not the corner" "$(driver region Velta 10 190)" out

# ---- the right checks, frameless: TaskTray, Topmost, Window Frame, Transparent ----
read -r ml mt mr mb <<<"$(right_click_menu "$tx" "$ty")"
expect_eq "a right click on the text opens the menu there" "$ml $mt" "$tx $ty"
sleep 0.5
shot "$SHOTS/shell_menu_frameless.png"
close_menu
checks=$(dark_groups "$SHOTS/shell_menu_frameless.png" 14 $(( mb - mt - 4 )) $(( ml + 2 )) $(( mt + 2 )))
expect_eq "four check marks when frameless and transparent" "$checks" 4

# ---- hovering brings the frame and the full rectangle back ----
xdotool mousemove "$tx" "$ty"; sleep 0.1; xdotool mousemove $(( tx + 1 )) "$ty"
check "hovering shows the sizing frame" reaches thickframe 1 20
sleep 0.5
expect_eq "and removes the window region" "$(driver region Velta 10 190)" none
shot "$SHOTS/shell_hover.png"
expect_eq "the whole face is visible while hovering" "$(pixel "$SHOTS/shell_hover.png" 10 190)" "#000000"
xdotool mousemove 700 600
took=$(wait_info thickframe 0 40)
check "the frame goes within about two seconds of leaving (${took} tenths)" [ "$took" != never ]
sleep 0.5
expect_eq "and the shape comes back" "$(driver region Velta 10 190)" out

# ---- losing the activation takes the temporary frame away at once ----
xdotool mousemove "$tx" "$ty"; sleep 0.1; xdotool mousemove $(( tx + 1 )) "$ty"
check "hovering again shows the frame" reaches thickframe 1 20
driver post Velta $WM_ACTIVATEAPP 0 0
check "a deactivation applies the frame setting without waiting" reaches thickframe 0 5
xdotool mousemove 700 600
sleep 2.5

# ---- the frame back with Transparent still set: the full rectangle at once ----
driver command Velta $ID_WINDOW_FRAME
check "Window Frame unchecked brings the frame back" reaches thickframe 1 10
sleep 0.3
expect_eq "and no window region, although Transparent is set" "$(driver region Velta 10 190)" none
driver command Velta $ID_WINDOW_FRAME
check "checked again, the frame goes" reaches thickframe 0 10
sleep 0.5
expect_eq "and the shape is back" "$(driver region Velta 10 190)" out

# ---- dragging by the text ----
xdotool mousemove "$tx" "$ty"; sleep 0.3
xdotool mousedown 1; sleep 0.2
xdotool mousemove $(( tx + 30 )) $(( ty + 20 )); sleep 0.2
xdotool mousemove $(( tx + 60 )) $(( ty + 40 )); sleep 0.2
xdotool mouseup 1; sleep 0.5
expect_eq "dragging the text moves the window" "$(info_value rect)" "60 40 460 240"
xdotool mousemove 700 600
wait_info thickframe 0 40 >/dev/null

# ---- the tray callback opens the same menu at the cursor ----
no_menu() { ! driver menu 0.5 >/dev/null; }
xdotool mousemove 600 400; sleep 0.3
driver post Velta $TRAY_CALLBACK 1 $WM_MOUSEMOVE
sleep 0.5
check "a mouse move over the tray icon opens nothing" no_menu
driver post Velta $TRAY_CALLBACK 1 $WM_RBUTTONUP
read -r ml mt mr mb <<<"$(driver menu 5)"
expect_eq "a right click on the tray icon opens the menu at the cursor" "$ml $mt" "600 400"
close_menu
driver post Velta $TRAY_CALLBACK 1 $WM_LBUTTONUP
read -r ml mt mr mb <<<"$(driver menu 5)"
expect_eq "and so does a left click" "$ml $mt" "600 400"
close_menu

# ---- the tray icon: the shell's own tray window shows while it holds an icon ----
tray_visible() { driver info "Wine System Tray" | sed -n 's/^visible //p'; }
expect_eq "the tray icon is there by default" "$(tray_visible)" 1
driver command Velta $ID_TASKTRAY
sleep 1
check "TaskTray off removes the icon at once" [ "$(tray_visible)" != 1 ]
driver command Velta $ID_TASKTRAY
sleep 1
expect_eq "TaskTray on adds it again" "$(tray_visible)" 1

# ---- topmost ----
driver exstyle-remove Velta $WS_EX_TOPMOST
expect_eq "a style change cannot take the clock out of the topmost band" "$(info_value topmost)" 1
driver command Velta $ID_TOPMOST
sleep 0.3
expect_eq "Topmost off" "$(info_value topmost)" 0
driver post Velta $WM_ACTIVATEAPP 0 0
sleep 0.5
expect_eq "a deactivation does not raise it again" "$(info_value topmost)" 0
driver command Velta $ID_TOPMOST
sleep 0.3
expect_eq "Topmost on again" "$(info_value topmost)" 1

# ---- Exit ----
driver command Velta $ID_EXIT
check "Exit ends the clock" velta_ended 10
sleep 0.5
check "and the tray icon goes with it" [ "$(tray_visible)" != 1 ]

# ---- the Japanese menu, with and without icons ----
export WINEPREFIX=$(velta_wine_prefix_ja)
dir=$(sandbox clock_shell_ja)
start_velta "$dir" LANG=ja_JP.UTF-8 LC_ALL=ja_JP.UTF-8
check "the clock starts under a Japanese locale" driver wait Velta 60
sleep 1
read -r ml mt mr mb <<<"$(right_click_menu 150 120)"
expect_eq "the Japanese menu opens at the cursor" "$ml $mt" "150 120"
sleep 0.5
shot "$SHOTS/shell_menu_ja_icons.png"
close_menu
driver command Velta $ID_MENU_ICONS
read -r ml mt mr mb <<<"$(right_click_menu 150 120)"
sleep 0.5
shot "$SHOTS/shell_menu_ja_plain.png"
close_menu
checks=$(dark_groups "$SHOTS/shell_menu_ja_plain.png" 14 $(( mb - mt - 4 )) $(( ml + 2 )) $(( mt + 2 )))
expect_eq "two check marks in the Japanese plain menu" "$checks" 2
driver command Velta $ID_EXIT
check "Exit ends the Japanese clock" velta_ended 10
