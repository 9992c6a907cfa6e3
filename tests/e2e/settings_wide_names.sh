#!/usr/bin/env bash
# The settings file where the program's folder name holds letters no ANSI code page has
# (Cyrillic, Japanese and an emoji), on an English (1252) system: saved beside the program and
# read back; with that folder unwritable, through %APPDATA%. A plain ASCII Velta.ini written by
# the previous build, and a 1252 one, keep every byte over a start and an exit with no change.
export LANG=en_US.UTF-8
unset LC_ALL LC_MESSAGES
source "$(dirname "$0")/lib.sh"

settings_fallback_watch
# A frameless clock shows its frame while the mouse is over it: keep the pointer off the clocks
# (a script before this one may have left it there).
xdotool mousemove 1000 740 2>/dev/null
# A clock an earlier script left running would answer to "Velta" in place of this one's.
if ! driver gone Velta 5 >/dev/null; then
  driver command Velta $ID_EXIT
  driver gone Velta 15 >/dev/null || not_ok "a clock left running by an earlier script ends"
fi
# run_and_exit DIR: starts the clock, lets it settle and ends it through its menu command.
run_and_exit() {
  start_velta "$1"
  wait_window || return 1
  sleep 1
  driver command Velta $ID_EXIT
  velta_ended 15
}

wide_name=$'Часы 時計 \U0001F600'

# 1. Beside the program.
dir=$(sandbox "settings_wide/$wide_name")
start_velta "$dir"
check "the clock starts in the folder \"$wide_name\"" wait_window
sleep 1
driver command Velta $ID_WINDOW_FRAME   # frameless: stored at once
check "the changed setting is saved beside the program" wait_value "$dir/Velta.ini" Option 196620
driver command Velta $ID_EXIT
check "Exit ends the clock" velta_ended 15
check "the file is plain ASCII, no byte-order mark" [ "$(head -c 1 "$dir/Velta.ini")" = "[" ]
check "and nothing went to %APPDATA%" [ ! -e "$appdata_dir/Velta.ini" ]
start_velta "$dir"
check "the clock starts again" wait_window
sleep 1
expect_eq "the setting is read back (no frame)" "$(info_of thickframe)" 0
driver command Velta $ID_EXIT
check "and ends" velta_ended 15

# 2. The same folder name, unwritable: the settings go to %APPDATA% and are read from there.
dir=$(sandbox "settings_wide_locked/$wide_name")
if lock "$dir"; then
  start_velta "$dir"
  check "the clock starts in the unwritable folder \"$wide_name\"" wait_window
  sleep 1
  driver command Velta $ID_WINDOW_FRAME
  check "the changed setting is saved under %APPDATA%" wait_value "$appdata_dir/Velta.ini" Option 196620
  driver command Velta $ID_EXIT
  check "Exit ends the clock" velta_ended 15
  check "nothing was written beside the program" [ ! -e "$dir/Velta.ini" ]
  start_velta "$dir"
  check "the clock starts again" wait_window
  sleep 1
  expect_eq "the setting is read from %APPDATA% (no frame)" "$(info_of thickframe)" 0
  driver command Velta $ID_EXIT
  check "and ends" velta_ended 15
  unlock "$dir"
else
  ok "skipped: no way to make a folder unwritable here"
fi
rm -rf "$appdata_dir"

# 3. A Velta.ini the previous build wrote (ASCII only, a frameless clock): read, and every byte kept.
dir=$(sandbox settings_previous_build)
cp "$VELTA_ROOT/tests/data/settings/ascii_previous_build.ini" "$dir/Velta.ini"
start_velta "$dir"
check "the clock starts with the previous build's Velta.ini" wait_window
sleep 1
expect_eq "its settings are read (no frame)" "$(info_of thickframe)" 0
driver command Velta $ID_EXIT
check "Exit ends the clock" velta_ended 15
check "the file is byte-identical" cmp -s "$dir/Velta.ini" "$VELTA_ROOT/tests/data/settings/ascii_previous_build.ini"

# 4. A file written in code page 1252 stays in 1252: its bytes are kept, no mark is added.
dir=$(sandbox settings_cp1252)
printf '[Settings]\r\nFormat=%%H:%%M \xe9t\xe9\r\nOption=196620\r\n' >"$dir/Velta.ini"
check "a 1252 Velta.ini: start and exit" run_and_exit "$dir"
check "its 1252 text is kept byte for byte" grep -q $'^Format=%H:%M \xe9t\xe9\r$' "$dir/Velta.ini"
check "with no byte-order mark" [ "$(head -c 1 "$dir/Velta.ini")" = "[" ]

# 5. velta-cli ini reads that file alike natively and under Wine (the system's 1252); a value 1252
# cannot hold turns it into UTF-8 with the mark, which both read again.
cli_win() { wine "$VELTA_BUILD/velta-cli.exe" "$@" </dev/null 2>/dev/null | tr -d '\r'; }
expect_eq "velta-cli.exe ini reads the 1252 value as UTF-8" "$(cli_win ini "$(winepath -w "$dir/Velta.ini" 2>/dev/null)" get Settings Format)" "%H:%M été"
cli=$VELTA_ROOT/build/native/velta-cli
if [ -x "$cli" ]; then
  expect_eq "velta-cli ini natively too" "$("$cli" ini "$dir/Velta.ini" get Settings Format)" "%H:%M été"
  check "velta-cli ini sets a value 1252 cannot hold" "$cli" ini "$dir/Velta.ini" set Settings Title "$wide_name"
  check "the file is now UTF-8 with the mark" [ "$(head -c 3 "$dir/Velta.ini" | od -An -tx1 | tr -d ' ')" = efbbbf ]
  check "its earlier text converted" grep -q $'^Format=%H:%M été\r$' "$dir/Velta.ini"
  expect_eq "velta-cli.exe reads the new value back" \
    "$(cli_win ini "$(winepath -w "$dir/Velta.ini" 2>/dev/null)" get Settings Title)" "$wide_name"
fi
