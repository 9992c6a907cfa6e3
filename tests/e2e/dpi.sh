#!/usr/bin/env bash
# The clock at 96 DPI and at 144 DPI (150 %), in a prefix of its own whose screen
# has that DPI: the first start, the face's text, the context menu with its icons,
# the display settings dialog and its colour grid, the QuickTimer dialog and a
# cell, the launcher and the tray icon. At 144 DPI everything is laid out as at 96,
# half as large again, and drawn at that size. The screenshots are part of the check:
# build/e2e/shots/dpi96_*.png and dpi144_*.png.
source "$(dirname "$0")/lib.sh"
trap 'stop_velta; WINEPREFIX=$VELTA_BASE_PREFIX-144 wineserver -k 2>/dev/null' EXIT

BLUE='#2864D2'  # the blue of several menu icons

# ratio_between A B LOW HIGH: true when LOW <= B / A <= HIGH.
ratio_between() { awk -v a="$1" -v b="$2" -v lo="$3" -v hi="$4" 'BEGIN { exit !(a > 0 && b / a >= lo && b / a <= hi) }'; }
size_of() { awk '{ print $3 - $1, $4 - $2 }' <<<"$1"; }  # "L T R B" -> "W H"
crop() { convert "$1" -crop "$2" +repage "$3" 2>/dev/null; }  # crop FILE WxH+X+Y OUT

declare -A M  # measures, by DPI and name

measure() {  # measure DPI: one run of the clock at that DPI
  local dpi=$1 tag=dpi$1 dir
  dir=$(sandbox "$tag")
  start_velta "$dir"
  check "the clock starts at $dpi DPI" driver wait Velta 30
  sleep 1.5
  M[$dpi,rect]=$(driver info Velta | sed -n 's/^rect //p')
  read -r _ _ cw ch <<<"${M[$dpi,rect]}"
  read -r xl xt xr xb <<<"$(driver info Velta | sed -n 's/^client //p')"
  shot "$SHOTS/${tag}_clock.png"
  crop "$SHOTS/${tag}_clock.png" "${cw}x${ch}+0+0" "$SHOTS/${tag}_clock.png"
  read -r _ M[$dpi,text] _ _ <<<"$(ink_box "$SHOTS/${tag}_clock.png" $((cw - 8)) $((ch - 8)) 4 4)"

  # The context menu with icons (the default).
  xdotool mousemove $((cw / 2)) $((ch / 2)); sleep 0.3
  xdotool click 3
  M[$dpi,menu]=$(driver menu 5)
  sleep 0.7
  shot "$SHOTS/${tag}_menu.png"
  xdotool key Escape; sleep 0.4
  read -r l t r b <<<"${M[$dpi,menu]}"
  crop "$SHOTS/${tag}_menu.png" "$((r - l))x$((b - t))+$l+$t" "$SHOTS/${tag}_menu.png"
  M[$dpi,blue]=$(count_colour "$SHOTS/${tag}_menu.png" $((r - l)) $((b - t)) 0 0 "$BLUE")
  xdotool mousemove 1000 700

  # The display settings dialog, its preview and the drop-down of a colour button.
  driver command Velta "$ID_DISPLAY_SETTING"
  M[$dpi,display]=$(driver dialog-rect Velta)
  sleep 1
  shot "$SHOTS/${tag}_display_settings.png"
  read -r l t r b <<<"${M[$dpi,display]}"
  crop "$SHOTS/${tag}_display_settings.png" "$((r - l))x$((b - t))+$l+$t" "$SHOTS/${tag}_display_settings.png"
  read -r pl pt pr pb <<<"$(driver dialog-item Velta "$IDC_PREVIEW" | sed -n 's/^rect //p')"
  read -r _ M[$dpi,preview] _ _ <<<"$(ink_box "$SHOTS/${tag}_display_settings.png" $((pr - pl - 4)) $((pb - pt - 4)) \
    $((pl - l + 2)) $((pt - t + 2)))"
  driver dialog-click Velta "$IDC_TEXT_COLOUR"
  M[$dpi,grid]=$(driver menu 5)
  sleep 0.7
  read -r gl gt gr gb <<<"${M[$dpi,grid]}"
  shot "$SHOTS/${tag}_colour_grid.png"
  crop "$SHOTS/${tag}_colour_grid.png" "$((gr - gl))x$((gb - gt))+$gl+$gt" "$SHOTS/${tag}_colour_grid.png"
  xdotool key Escape; sleep 0.4
  local title
  title=$(driver dialog-title Velta 5)
  driver close-dialog Velta
  driver gone "$title" 10

  # The QuickTimer dialog; started without its counter window, the cell shows on the clock.
  driver command Velta "$ID_QUICKTIMER"
  driver dialog-title Velta 10 >/dev/null
  M[$dpi,quicktimer]=$(driver dialog-rect Velta)
  sleep 1
  shot "$SHOTS/${tag}_quicktimer.png"
  read -r l t r b <<<"${M[$dpi,quicktimer]}"
  crop "$SHOTS/${tag}_quicktimer.png" "$((r - l))x$((b - t))+$l+$t" "$SHOTS/${tag}_quicktimer.png"
  # (Whatever the dialog remembers from other runs: thirty minutes, only the message at the end.)
  driver dialog-set Velta "$IDC_QT_MINUTES" 30
  driver dialog-check Velta "$IDC_QT_COUNTER" 0
  driver dialog-check Velta "$IDC_QT_MESSAGE" 1
  driver dialog-check Velta "$IDC_QT_SOUND" 0
  driver dialog-check Velta "$IDC_QT_EXECUTE" 0
  driver dialog-click Velta "$IDOK"
  sleep 1.5
  shot "$SHOTS/${tag}_cell.png"
  crop "$SHOTS/${tag}_cell.png" "${cw}x${ch}+0+0" "$SHOTS/${tag}_cell.png"
  # The cell is the only thing at the left edge of the face.
  read -r M[$dpi,cellw] M[$dpi,cellh] _ _ <<<"$(ink_box "$SHOTS/${tag}_cell.png" $((cw / 12)) $((xb - xt)) "$xl" "$xt")"

  # The launcher, shown below the clock.
  driver command Velta "$ID_LAUNCHER"
  sleep 1
  M[$dpi,launcher]=$(driver launcher Velta | sed -n 's/^rect //p')
  shot "$SHOTS/${tag}_launcher.png"
  read -r l t r b <<<"${M[$dpi,launcher]}"
  crop "$SHOTS/${tag}_launcher.png" "$((r - l))x$((b - t))+$l+$t" "$SHOTS/${tag}_launcher.png"
  driver command Velta "$ID_LAUNCHER"

  # The tray icon, in the shell's own tray window (the clock moved off it).
  M[$dpi,tray]=$(driver info "Wine System Tray" | sed -n 's/^rect //p')
  if [ -n "${M[$dpi,tray]}" ]; then
    read -r l t r b <<<"${M[$dpi,tray]}"
    driver move Velta $((r + 10)) $((b + 10))
    sleep 0.5
    shot "$SHOTS/${tag}_tray.png"
    crop "$SHOTS/${tag}_tray.png" "$((r - l))x$((b - t))+$l+$t" "$SHOTS/${tag}_tray.png"
  fi

  driver command Velta "$ID_EXIT"
  check "Exit ends the clock at $dpi DPI" velta_ended 10
}

measure 96
export WINEPREFIX=$(velta_wine_prefix_dpi 144)
velta_wine_start
measure 144

# Three starts in a row at 144 DPI from a stored place the first start did not choose: the
# clock opens at its stored rectangle and stores it back byte for byte, never grown.
dir144=$VELTA_ROOT/build/e2e/dpi144
sed -i 's/^left=[-0-9]*/left=150/; s/^top=[-0-9]*/top=120/; s/^right=[-0-9]*/right=750/; s/^bottom=[-0-9]*/bottom=420/' \
  "$dir144/Velta.ini"
sums=()
for run in 1 2 3; do
  start_velta "$dir144"
  check "start $run at 144 DPI shows the clock" driver wait Velta 30
  sleep 1
  expect_eq "start $run opens at the stored rectangle" "$(driver info Velta | sed -n 's/^rect //p')" "150 120 750 420"
  driver command Velta "$ID_EXIT"
  check "Exit ends start $run" velta_ended 10
  sums+=("$(md5sum <"$dir144/Velta.ini")")
done
expect_eq "three starts keep Velta.ini byte-identical" "$(printf '%s\n' "${sums[@]}" | sort -u | wc -l)" "1"

expect_eq "the first start at 96 DPI: 400 x 200 at (0, 0)" "${M[96,rect]}" "0 0 400 200"
expect_eq "the first start at 144 DPI: 600 x 300 at (0, 0)" "${M[144,rect]}" "0 0 600 300"
check "the face's text is about 1.5 x as tall (${M[96,text]} -> ${M[144,text]} pixels)" \
  ratio_between "${M[96,text]}" "${M[144,text]}" 1.35 1.65
read -r w96 h96 <<<"$(size_of "${M[96,menu]}")"
read -r w144 h144 <<<"$(size_of "${M[144,menu]}")"
check "the context menu is about 1.5 x as tall (${h96} -> ${h144})" ratio_between "$h96" "$h144" 1.35 1.65
check "and wider (${w96} -> ${w144})" ratio_between "$w96" "$w144" 1.2 1.8
check "its icons are drawn at 24 pixels: 2.25 x the icon pixels (${M[96,blue]} -> ${M[144,blue]})" \
  ratio_between "${M[96,blue]}" "${M[144,blue]}" 1.9 2.6
for what in display quicktimer launcher grid; do
  read -r w96 h96 <<<"$(size_of "${M[96,$what]}")"
  read -r w144 h144 <<<"$(size_of "${M[144,$what]}")"
  check "the $what window is laid out half as large again (${w96}x${h96} -> ${w144}x${h144})" \
    eval 'ratio_between "$w96" "$w144" 1.3 1.7 && ratio_between "$h96" "$h144" 1.3 1.7'
done
check "the preview's text is about 1.5 x as tall (${M[96,preview]} -> ${M[144,preview]})" \
  ratio_between "${M[96,preview]}" "${M[144,preview]}" 1.35 1.65
expect_eq "a QuickTimer cell at 96 DPI is 20 x 20" "${M[96,cellw]} ${M[96,cellh]}" "20 20"
expect_eq "a QuickTimer cell at 144 DPI is 30 x 30" "${M[144,cellw]} ${M[144,cellh]}" "30 30"

# What the clock stored at 144 DPI means the same at any DPI.
stored() {  # stored DPI KEY: a value of section "Settings" of that run's file
  awk -F= -v key="$2" '/^\[/ { s = ($0 ~ /^\[Settings\]/) } s && $1 == key { print $2 }' \
    "$VELTA_ROOT/build/e2e/dpi$1/Velta.ini" | tr -d '\r'
}
expect_eq "the font is stored as a 96-DPI font at 144 DPI too (lfHeight -24)" "$(stored 144 Font | cut -c1-8)" "E8FFFFFF"
expect_eq "the window is stored in screen pixels: 600 x 300" \
  "$(( $(stored 144 right) - $(stored 144 left) )) $(( $(stored 144 bottom) - $(stored 144 top) ))" "600 300"
