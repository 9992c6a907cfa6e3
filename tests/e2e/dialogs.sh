#!/usr/bin/env bash
# Every dialog of the clock in both languages, each shot on its own (cropped to
# the dialog) for looking at: the English ones in "MS Shell Dlg" through
# DS_SHELLFONT, the Japanese ones in "MS UI Gothic". The English dialogs keep
# the size they had in the bitmap font's days, since the layout was made for it.
source "$(dirname "$0")/lib.sh"
trap 'stop_velta; WINEPREFIX=$VELTA_BASE_PREFIX-ja wineserver -k 2>/dev/null' EXIT
OUT=$SHOTS/dialogs
mkdir -p "$OUT"
settings_key="HKCU\\Software\\Orvex's Applications\\Velta\\Settings"
field() { echo "$1" | sed -n "s/^$2 //p"; }

# crop NAME "L T R B": a shot of the screen cut to the rectangle, and the rectangle's size.
crop() {
  local l t r b
  read -r l t r b <<<"$2"
  shot "$OUT/screen.png"
  convert "$OUT/screen.png" -crop "$((r - l))x$((b - t))+$l+$t" +repage "$OUT/$1.png" 2>/dev/null
  SIZE="$((r - l))x$((b - t))"
}

# owned_dialog NAME COMMAND LANG: opens a modal dialog of the clock by its command, shoots it, cancels it.
owned_dialog() {
  driver command Velta "$2"
  driver dialog-title Velta 10 >/dev/null || { not_ok "$1 ($3) opens"; return; }
  sleep 0.6
  crop "$1_$3" "$(driver dialog-rect Velta)"
  SIZES+=("$1 $SIZE")
  driver close-dialog Velta
  sleep 0.4
}

# top_dialog NAME TITLE LANG: a dialog found by its title.
top_dialog() {
  driver wait "$2" 10 >/dev/null || { not_ok "$1 ($3) opens"; return; }
  sleep 0.6
  crop "$1_$3" "$(field "$(driver info "$2")" rect)"
  SIZES+=("$1 $SIZE")
  xdotool key Escape
  driver gone "$2" 5
  sleep 0.3
}

# all_dialogs LANG ADD_TITLE: the dialogs of one language; fills SIZES.
all_dialogs() {
  SIZES=()
  owned_dialog version "$ID_VERSION" "$1"
  owned_dialog display_settings "$ID_DISPLAY_SETTING" "$1"
  owned_dialog quicktimer "$ID_QUICKTIMER" "$1"
  owned_dialog time_adjust "$ID_TIME_ADJUST" "$1"
  driver command Velta "$ID_LAUNCHER"
  sleep 0.8
  crop "launcher_$1" "$(field "$(driver launcher Velta)" rect)"
  SIZES+=("launcher $SIZE")
  wine reg delete "$settings_key" /v ExMode /f </dev/null >/dev/null 2>&1
  driver launcher-press Velta "$IDC_LAUNCHER_ADD"
  top_dialog launcher_add "$2" "$1"
  wine reg add "$settings_key" /v ExMode /t REG_DWORD /d 1 /f </dev/null >/dev/null 2>&1
  driver command Velta "$ID_LAUNCHER"
  sleep 0.5
  driver launcher-press Velta "$IDC_LAUNCHER_ADD"
  top_dialog launcher_add_encode "$2" "$1"
  wine reg delete "$settings_key" /v ExMode /f </dev/null >/dev/null 2>&1
}

# expect_sizes LANG "NAME WxH"...: the sizes all_dialogs found, in its order.
expect_sizes() {
  local lang=$1 i=0 want
  shift
  for want in "$@"; do
    expect_eq "the $lang ${want%% *} dialog has its size" "${SIZES[$i]:-missing}" "$want"
    i=$((i + 1))
  done
}

# ---- English ----
dir=$(sandbox dialogs_en)
start_velta "$dir"
check "the clock window appears" driver wait Velta 60
sleep 1
all_dialogs en Add
printf '%s\n' "${SIZES[@]}" >"$OUT/sizes_en.txt"
# Pixel sizes of the layouts with base units of 6 x 13 pixels, which both "MS Sans
# Serif" 8 and "MS Shell Dlg" 8 give on Windows at 96 DPI: the size the layouts were
# made for. (Under Wine "MS Sans Serif" is a wider stand-in, so the bitmap-font
# templates showed about 15 % wider and 7 % lower there.)
expect_sizes en "version 305x97" "display_settings 320x311" "quicktimer 381x350" "time_adjust 399x301" \
  "launcher 275x217" "launcher_add 327x129" "launcher_add_encode 327x188"
driver key Velta $VK_ESCAPE
check "Esc ends the clock" velta_ended 10

# ---- Japanese ----
export WINEPREFIX=$(velta_wine_prefix_ja)
dir=$(sandbox dialogs_ja)
start_velta "$dir" LANG=ja_JP.UTF-8 LC_ALL=ja_JP.UTF-8
check "the clock starts under a Japanese locale" driver wait Velta 60
sleep 1
LANG=ja_JP.UTF-8 LC_ALL=ja_JP.UTF-8 all_dialogs ja "追加"
printf '%s\n' "${SIZES[@]}" >"$OUT/sizes_ja.txt"
# The Japanese templates keep "MS UI Gothic" 9; the display settings are 20 units wider for the
# room of "キャンセル" and of the labels with their "(&X)" keys, the launcher 12 for its buttons',
# the add dialogs 22 for their labels.
expect_sizes ja "version 305x97" "display_settings 350x311" "quicktimer 381x350" "time_adjust 399x301" \
  "launcher 293x217" "launcher_add 360x129" "launcher_add_encode 360x188"
driver key Velta $VK_ESCAPE
check "Esc ends the Japanese clock" velta_ended 10
