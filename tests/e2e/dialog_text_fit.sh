#!/usr/bin/env bash
# Texts that fit: the measuring test of every dialog's labels at 144 DPI (the suite runs it at
# 96), and for looking at, every dialog in English and in Japanese at 96 and 144 DPI and the
# counter window with its default text beside the clock: build/e2e/shots/fit/<dpi>_<lang>_*.png.
source "$(dirname "$0")/lib.sh"
trap 'stop_velta; WINEPREFIX=$VELTA_ROOT/build/wineprefix-144 wineserver -k 2>/dev/null' EXIT
OUT=$SHOTS/fit
mkdir -p "$OUT"
settings_key="HKCU\\Software\\Orvex's Applications\\Velta\\Settings"

cut_out() {  # cut_out NAME "L T R B"
  local l t r b
  read -r l t r b <<<"$2"
  shot "$OUT/screen.png"
  convert "$OUT/screen.png" -crop "$((r - l))x$((b - t))+$l+$t" +repage "$OUT/$1.png" 2>/dev/null
}

owned() {  # owned NAME COMMAND
  driver command Velta "$2"
  driver dialog-title Velta 10 >/dev/null || { not_ok "$TAG $1 opens"; return; }
  sleep 0.6
  cut_out "${TAG}_$1" "$(driver dialog-rect Velta)"
  driver close-dialog Velta
  sleep 0.4
}

ja_driver() { LANG=ja_JP.UTF-8 LC_ALL=ja_JP.UTF-8 driver "$@"; }

# One run of the clock: its dialogs, a counter window, the launcher and its add dialog.
round() {  # round TAG ADD_TITLE [VAR=VALUE...]; FIND: the driver that finds the add dialog's title
  TAG=$1
  local add=$2 dir
  shift 2
  dir=$(sandbox "fit_$TAG")
  start_velta "$dir" "$@"
  check "$TAG: the clock starts" driver wait Velta 30
  sleep 1
  owned version "$ID_VERSION"
  owned display_settings "$ID_DISPLAY_SETTING"
  owned quicktimer "$ID_QUICKTIMER"
  owned time_adjust "$ID_TIME_ADJUST"
  # A QuickTimer of ten minutes with its counter window: a new face, so it opens beside the clock.
  driver command Velta "$ID_QUICKTIMER"
  driver dialog-title Velta 10 >/dev/null
  for item in $IDC_QT_COUNTER:1 $IDC_QT_MESSAGE:0 $IDC_QT_SOUND:0 $IDC_QT_EXECUTE:0; do
    driver dialog-check Velta "${item%%:*}" "${item#*:}"
  done
  driver dialog-set Velta "$IDC_QT_MINUTES" 10
  driver dialog-click Velta "$IDOK"
  sleep 1.5
  local clock counter
  clock=$(driver info Velta | sed -n 's/^rect //p')
  counter=$(driver popups Velta | head -n 1 | awk '{ print $2, $3, $4, $5 }')
  shot "$OUT/${TAG}_counter_screen.png"
  check "$TAG: the counter window is open" [ -n "$counter" ]
  if [ -n "$counter" ]; then
    read -r cl ct cr cb <<<"$clock"
    read -r l t r b <<<"$counter"
    check "$TAG: the counter window ($counter) does not cover the clock ($clock)" \
      [ $((r <= cl || l >= cr || b <= ct || t >= cb)) -eq 1 ]
    cut_out "${TAG}_counter" "$counter"
  fi
  # Last: finding a Japanese title needs the driver under a Japanese code page, and Wine then
  # rewrites the font links of the prefix.
  driver command Velta "$ID_LAUNCHER"
  sleep 0.8
  cut_out "${TAG}_launcher" "$(driver launcher Velta | sed -n 's/^rect //p')"
  wine reg add "$settings_key" /v ExMode /t REG_DWORD /d 1 /f </dev/null >/dev/null 2>&1
  driver launcher-press Velta "$IDC_LAUNCHER_ADD"
  if $FIND wait "$add" 10 >/dev/null; then
    sleep 0.6
    cut_out "${TAG}_launcher_add_encode" "$($FIND info "$add" | sed -n 's/^rect //p')"
    $FIND key "$add" "$VK_ESCAPE"
    $FIND gone "$add" 5 || { xdotool key Escape; $FIND gone "$add" 5; }
  else
    not_ok "$TAG: the add dialog opens"
  fi
  wine reg delete "$settings_key" /v ExMode /f </dev/null >/dev/null 2>&1
  driver command Velta "$ID_LAUNCHER" 2>/dev/null
  sleep 0.5

  driver command Velta "$ID_EXIT"
  check "$TAG: Exit ends the clock" velta_ended 15
}

# Japanese resources on an English code page; the driver finds the Japanese title under a Japanese one.
japanese=(LANG=en_US.UTF-8 LC_ALL= LC_MESSAGES=ja_JP.UTF-8)
FIND=driver round 96_en Add
japanese_font_links  # after the English run, which may have had Wine rewrite them
FIND=ja_driver round 96_ja "追加" "${japanese[@]}"

export WINEPREFIX=$(velta_wine_prefix_dpi 144)
velta_wine_start
japanese_font_links
out=$(cd "$VELTA_BUILD/tests" && wine ./velta_win_tests.exe --gtest_filter='DialogTextFit.*' </dev/null 2>&1 | tr -d '\r')
check "every label fits its control at 144 DPI, in both languages" grep -q '^\[  PASSED  \] 1 test' <<<"$out"
grep -E 'Which is|dialog [0-9]+' <<<"$out" | head -n 20
FIND=driver round 144_en Add
japanese_font_links
FIND=ja_driver round 144_ja "追加" "${japanese[@]}"
