#!/usr/bin/env bash
# A see-through clock over the coloured desktop, in a font that asks for smoothed
# edges: every pixel left of the window is the text colour, with no blended fringe
# around the letters; with its frame back the same clock draws its text smooth.
source "$(dirname "$0")/lib.sh"
trap stop_velta EXIT

DESKTOP='#336699'  # the root's colour (tools/xvfb.sh)
TEXT='#FFFF00'
BACK='#000080'
# A LOGFONTA: height -48, bold, ANTIALIASED_QUALITY, "Tahoma".
font=$(python3 -c "import struct; print(struct.pack('<5i8B32s', -48, 0, 0, 0, 700, 0, 0, 0, 1, 0, 0, 4, 0, b'Tahoma').hex().upper())")

# Frameless and see-through, at 300,300 with 400 x 200, no tray icon.
dir=$(sandbox see_through)
printf '[Settings]\r\nFont=%s\r\nForeColor=%d\r\nBackColor=%d\r\nleft=300\r\ntop=300\r\nright=700\r\nbottom=500\r\nOption=%d\r\nFormat=%s\r\n' \
  "$font" $((0x00FFFF)) $((0x800000)) $((0x20008 | 0x4 | 0x2)) '%H:%M Wg' >"$dir/Velta.ini"
start_velta "$dir"
check "the clock window appears" driver wait Velta 60
# Wine's desktop may paint the root black when it starts: colour it again once the clock is up.
convert -size 1024x768 "xc:$DESKTOP" "$dir/root.png" && timeout 10 display -window root "$dir/root.png" >/dev/null 2>&1
# The pointer away from the clock, and time for a hover frame to go.
xdotool mousemove 1000 10
sleep 2.5
expect_eq "no sizing frame" "$(driver info Velta | sed -n 's/^thickframe //p')" 0
shot "$SHOTS/see_through.png"
convert "$SHOTS/see_through.png" -crop 400x200+300+300 +repage "$SHOTS/see_through_clock.png"
desktop=$(count_colour "$SHOTS/see_through_clock.png" 400 200 0 0 "$DESKTOP")
text=$(count_colour "$SHOTS/see_through_clock.png" 400 200 0 0 "$TEXT")
check "the desktop shows around the text ($desktop pixels)" [ "${desktop:-0}" -gt 60000 ]
check "the text shows ($text pixels)" [ "${text:-0}" -gt 500 ]
expect_eq "every other pixel of the window is the desktop: no blended edge left" \
  "$(( 80000 - ${desktop:-0} - ${text:-0} ))" 0
expect_eq "the background is cut away" "$(driver region Velta 5 5)" out

# The frame back: an opaque clock whose text keeps its smooth edges.
driver command Velta $ID_WINDOW_FRAME
sleep 1
shot "$SHOTS/see_through_framed.png"
info=$(driver info Velta)
read -r l t r b <<<"$(echo "$info" | sed -n 's/^rect //p')"
# The middle of the face, well inside the sizing frame, where the text is.
convert "$SHOTS/see_through_framed.png" -crop "$((r - l - 100))x$((b - t - 100))+$((l + 50))+$((t + 50))" +repage \
  "$SHOTS/see_through_framed_clock.png"
read -r w h <<<"$(identify -format '%w %h' "$SHOTS/see_through_framed_clock.png")"
back=$(count_colour "$SHOTS/see_through_framed_clock.png" "$w" "$h" 0 0 "$BACK")
text=$(count_colour "$SHOTS/see_through_framed_clock.png" "$w" "$h" 0 0 "$TEXT")
blended=$(( w * h - ${back:-0} - ${text:-0} ))
check "framed, the text has smoothed edges ($blended blended pixels)" [ "$blended" -gt 50 ]
expect_eq "and the window has no shape" "$(driver region Velta 5 5)" none
driver key Velta $VK_ESCAPE
check "Esc ends the clock" velta_ended 10
