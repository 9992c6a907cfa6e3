#!/usr/bin/env bash
# First start with no settings: the clock window, its look, and Esc ending it;
# then the Japanese resource set under a Japanese locale.
source "$(dirname "$0")/lib.sh"
trap 'stop_velta; WINEPREFIX=$VELTA_BASE_PREFIX-ja wineserver -k 2>/dev/null' EXIT

dir=$(sandbox clock_start)
start_velta "$dir"
check "the clock window appears" driver wait Velta 60
sleep 1.5
info=$(driver info Velta)
expect_eq "placed at (0,0) with 400 x 200 pixels" "$(echo "$info" | sed -n 's/^rect //p')" "0 0 400 200"
expect_eq "topmost" "$(echo "$info" | sed -n 's/^topmost //p')" 1
expect_eq "tool window (no taskbar button)" "$(echo "$info" | sed -n 's/^toolwindow //p')" 1
expect_eq "sizing frame by default" "$(echo "$info" | sed -n 's/^thickframe //p')" 1
expect_eq "no caption" "$(echo "$info" | sed -n 's/^caption //p')" 0

shot "$SHOTS/clock_start.png"
# Inside the frame the face is black with white text centred in the window.
expect_eq "black background near the top-left corner" "$(pixel "$SHOTS/clock_start.png" 10 10)" "#000000"
expect_eq "black background near the bottom-right corner" "$(pixel "$SHOTS/clock_start.png" 389 189)" "#000000"
white=$(count_colour "$SHOTS/clock_start.png" 392 192 4 4 '#FFFFFF')
check "white text pixels on the face ($white)" [ "${white:-0}" -gt 100 ]
read -r w h x y <<<"$(ink_box "$SHOTS/clock_start.png" 392 192 4 4)"
cx=$(( 4 + x + w / 2 )); cy=$(( 4 + y + h / 2 ))
check "text centred in the window (ink centre $cx,$cy)" [ $(( cx > 190 && cx < 210 && cy > 90 && cy < 110 )) -eq 1 ]
check "a line of text as wide as a date and time ($w x $h pixels of ink)" [ "${w:-0}" -gt 150 ] 

driver key Velta $VK_ESCAPE
check "Esc closes the clock window" driver gone Velta 10
check "and ends the process" velta_ended 10

# Japanese: with a Japanese locale the Japanese resource set is the one used.
export WINEPREFIX=$(velta_wine_prefix_ja)
dir=$(sandbox clock_start_ja)
start_velta "$dir" LANG=ja_JP.UTF-8 LC_ALL=ja_JP.UTF-8
check "the clock starts under a Japanese locale" driver wait Velta 60
sleep 1
shot "$SHOTS/clock_start_ja.png"
driver command Velta $ID_VERSION
title=$(LANG=ja_JP.UTF-8 LC_ALL=ja_JP.UTF-8 driver dialog-title Velta 10)
expect_eq "the version dialog comes from the Japanese set" "$title" "バージョン情報"
sleep 0.5
shot "$SHOTS/version_ja.png"
driver close-dialog Velta
sleep 0.5
driver key Velta $VK_ESCAPE
check "Esc ends the Japanese clock too" velta_ended 10
