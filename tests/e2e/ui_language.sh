#!/usr/bin/env bash
# A Japanese user interface on a system whose code page is 1252 (a language pack on an
# English Windows): the context menu (plain and owner-drawn), a dialog, a message box and
# the QuickTimer's windows come out in whole Japanese, and the counter format taken from
# the string table is stored as it was shown. Narrow, each of them was a row of "?".
source "$(dirname "$0")/lib.sh"
REG='HKCU\Software\Orvex'"'"'s Applications\Velta\QuickTimer'
trap 'stop_velta; wine reg delete "$REG" /f >/dev/null 2>&1' EXIT
export LC_ALL= LANG=en_US.UTF-8 LC_MESSAGES=ja_JP.UTF-8
field() { echo "$1" | sed -n "s/^$2 //p"; }

probe=$(driver locale -)
expect_eq "an English code page under the Japanese interface" "$(field "$probe" acp)" 1252
wine reg delete "$REG" /f >/dev/null 2>&1
japanese_font_links

right_click_menu() {  # right_click_menu X Y: prints the menu's rectangle
  xdotool mousemove "$1" "$2"; sleep 0.3
  xdotool click 3
  driver menu 5
}
close_menu() { xdotool key Escape; sleep 0.4; }
# The menu's picture; its ink must be more than the few dots of "?" marks would give.
menu_shot() {  # menu_shot NAME
  local l t r b
  read -r l t r b <<<"$(right_click_menu 200 150)"
  sleep 0.4
  shot "$SHOTS/ui_language_$1_screen.png"
  convert "$SHOTS/ui_language_$1_screen.png" -crop "$((r - l))x$((b - t))+$l+$t" +repage "$SHOTS/ui_language_$1.png"
  close_menu
  check "the $1 menu opened (${l:-?} ${t:-?} ${r:-?} ${b:-?})" [ -n "$b" ]
}

# Option 0x20008: topmost with menu icons (the owner-drawn menu); 0x8: the plain menu.
for menu in icons:131080 plain:8; do
  name=${menu%%:*}
  dir=$(sandbox "ui_language_$name")
  printf '[Settings]\r\nOption=%s\r\n' "${menu#*:}" >"$dir/Velta.ini"
  start_velta "$dir"
  check "the clock starts ($name menu)" wait_window Velta 20
  sleep 1
  menu_shot "$name"
  driver key Velta $VK_ESCAPE
  velta_ended 10 || { not_ok "the clock ends ($name menu)"; stop_velta; }
done

dir=$(sandbox ui_language)
start_velta "$dir"
check "the clock starts" wait_window Velta 20
sleep 1

# ---- a dialog and a message box ----
driver command Velta $ID_TIME_ADJUST
title=$(driver dialog-title Velta 10)
expect_eq "the time adjustment dialog's title, read back wide" "$title" "時刻合わせ"
driver dialog-set Velta $IDC_ADJUST_RETRY 99
driver dialog-click Velta $IDOK
box=$(driver message-box Velta 5)
expect_eq "the message box's text, read back wide, with its numbers put in" "$(field "$box" text)" \
  "1 から 10 までの整数を入力してください。"
sleep 0.5
shot "$SHOTS/ui_language_message_box.png"
driver press-message-box Velta $IDOK
sleep 0.5
driver close-dialog Velta
sleep 0.5

# ---- the QuickTimer: its counter format comes from the string table ----
driver command Velta $ID_QUICKTIMER
driver dialog-title Velta 10 >/dev/null
sleep 0.5
for item in $IDC_QT_COUNTER:1 $IDC_QT_MESSAGE:1 $IDC_QT_SOUND:0 $IDC_QT_EXECUTE:0; do
  driver dialog-check Velta "${item%%:*}" "${item#*:}"
done
driver dialog-set Velta $IDC_QT_MINUTES .05
driver dialog-click Velta $IDOK
sleep 1.2
shot "$SHOTS/ui_language_counter.png"
sleep 3
popups=$(driver popups Velta)
expect_eq "at expiry the counter and the message window are open" "$(echo "$popups" | grep -c .)" 2
shot "$SHOTS/ui_language_time_up.png"
for w in $(echo "$popups" | awk '{print $1}'); do driver click-ok "$w"; sleep 0.8; done
# The entry saves its faces once both windows are gone: wait for it rather than a fixed time.
for i in $(seq 100); do
  # The file is UTF-8 with the mark now that it holds Japanese: the mark comes before the first header.
  counter_format=$(sed '1s/^\xEF\xBB\xBF//' "$dir/Velta.ini" 2>/dev/null | sed -n '/^\[QuickTimerDlg\]/,/^\[/p' |
                   sed -n 's/^Format=//p' | tr -d '\r')
  [ -n "$counter_format" ] && break
  sleep 0.1
done
expect_eq "the counter format is stored as it was shown" "$counter_format" "残り %Q 分 %q 秒 !"
check "no \"?\" in place of a letter anywhere in the settings" bash -c "! grep -q '??' '$dir/Velta.ini'"

driver key Velta $VK_ESCAPE
velta_ended 10 || not_ok "the clock ends"

# ---- pictures: ink of a menu's text column ----
ink_w() { ink_box "$1" "$2" "$3" "$4" "$5" | awk '{print $1}'; }
for name in icons plain; do
  f=$SHOTS/ui_language_$name.png
  w=$(identify -format '%w' "$f" 2>/dev/null)
  check "the $name menu is wide enough for its Japanese texts (${w:-0} pixels)" [ "${w:-0}" -gt 100 ]
done
