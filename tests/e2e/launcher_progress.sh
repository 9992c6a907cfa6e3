#!/usr/bin/env bash
# Long launcher file work runs beside the clock: adding a very large file as an encoded item
# brings up the progress window while the clock goes on (it draws the next minute meanwhile),
# and Cancel leaves the original as it was and no encoded or temporary file behind. The
# Japanese window is looked at too.
source "$(dirname "$0")/lib.sh"

docs=$VELTA_ROOT/build/e2e/launcher_progress_docs
cleanup() { stop_velta; exmode none; rm -rf "$docs"; }
trap cleanup EXIT
ja() { LANG=ja_JP.UTF-8 LC_ALL=ja_JP.UTF-8 "$@"; }

dir=$(sandbox launcher_progress)
printf '[Settings]\r\nFormat=%%H:%%M\r\n' >"$dir/Velta.ini"
rm -rf "$docs"; mkdir -p "$docs"
truncate -s 8G "$docs/huge.bin"  # sparse: reads as zeros and takes no room on the disk
exmode 1

# add_huge CAPTION: the add dialog with encoding, answered; OK pressed just before a minute ends.
add_huge() {
  driver command Velta 32800
  sleep 0.5
  driver launcher-press Velta 3
  driver wait Add 10 >/dev/null || ja driver wait "追加" 10 >/dev/null
  local title=Add
  driver wait Add 1 >/dev/null || title="追加"
  ja driver set-text "$title" 1002 "$(winepath -w "$docs/huge.bin" 2>/dev/null | tr -d '\r')"
  ja driver set-text "$title" 1007 Huge
  ja driver press "$title" 1004
  sleep 0.3
  ja driver set-text "$title" 1005 k3y
  if [ "${1:-}" = at-minute-end ]; then
    local s
    s=$(date +%-S)
    [ "$s" -lt 56 ] && sleep $(( 56 - s ))
  fi
  ja driver press "$title" 1
}

start_velta "$dir"
check "the clock starts" wait_window
sleep 1
read -r cl ct cr cb <<<"$(field "$(driver info Velta)" rect)"
minute=$(date +%M)
add_huge at-minute-end
check "the progress window appears" wait_window "Encoding Huge ..." 10
shot "$SHOTS/launcher_progress_en.png"
convert "$SHOTS/launcher_progress_en.png" -crop "$((cr - cl))x$((cb - ct))+$cl+$ct" +repage "$SHOTS/progress_clock_before.png"
# The work goes on past the end of the minute; the clock must draw the new one meanwhile.
for i in $(seq 100); do [ "$(date +%M)" != "$minute" ] && break; sleep 0.1; done
sleep 2
check "the work is still running after the minute ended" wait_window "Encoding Huge ..." 1
shot "$SHOTS/launcher_progress_next_minute.png"
convert "$SHOTS/launcher_progress_next_minute.png" -crop "$((cr - cl))x$((cb - ct))+$cl+$ct" +repage \
  "$SHOTS/progress_clock_after.png"
changed=$(compare -metric AE "$SHOTS/progress_clock_before.png" "$SHOTS/progress_clock_after.png" null: 2>&1)
check "the clock drew the next minute while the work ran ($changed pixels changed)" [ "${changed%%.*}" -gt 20 ]
driver press "Encoding Huge ..." 2
check "Cancel closes the progress window" driver gone "Encoding Huge ..." 30
sleep 0.5
expect_eq "the original is as it was" "$(stat -c %s "$docs/huge.bin")" 8589934592
expect_eq "no encoded or temporary file is left beside the program" "$(ls "$dir" | tr '\n' ' ')" "Velta.exe Velta.ini "
expect_eq "and nothing was added" "$(field "$(driver launcher Velta)" rows)" 0
driver command Velta $ID_EXIT
check "Exit ends the clock" velta_ended 15

# The Japanese window.
start_velta "$dir" LANG=ja_JP.UTF-8 LC_ALL=ja_JP.UTF-8
check "the clock starts under a Japanese locale" wait_window
sleep 1
add_huge
check "the Japanese progress window appears" ja wait_window "Huge を暗号化しています..." 10
sleep 0.5
shot "$SHOTS/launcher_progress_ja.png"
ja driver press "Huge を暗号化しています..." 2
check "and Cancel closes it" ja driver gone "Huge を暗号化しています..." 30
expect_eq "again nothing is left behind" "$(ls "$dir" | tr '\n' ' ')" "Velta.exe Velta.ini "
driver key Velta 0x1B
check "Esc ends the Japanese clock" velta_ended 15
