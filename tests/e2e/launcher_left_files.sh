#!/usr/bin/env bash
# The plain files of encoded launcher items are not left behind unnoticed: a start that fails
# encodes the restored file again at once and deletes it; a clock that ends in the middle of a
# run (killed) names the file it left at its next start, once.
source "$(dirname "$0")/lib.sh"
trap stop_velta EXIT

field() { echo "$1" | sed -n "s/^$2 //p"; }
winpath() { winepath -w "$1" 2>/dev/null | tr -d '\r'; }
cli() { wine "$VELTA_BUILD/velta-cli.exe" "$@" </dev/null 2>/dev/null | tr -d '\r'; }
wait_file() {  # wait_file PATH SECONDS: true once it exists
  local i
  for i in $(seq $(( $2 * 10 ))); do [ -e "$1" ] && return 0; sleep 0.1; done
  return 1
}
wait_gone() {
  local i
  for i in $(seq $(( $2 * 10 ))); do [ -e "$1" ] || return 0; sleep 0.1; done
  return 1
}
run_row() {  # run_row N KEY: double-clicks row N of the launcher and gives the key
  local info l t h
  driver command Velta $ID_LAUNCHER
  sleep 0.5
  info=$(driver launcher Velta)
  read -r l t _ _ <<<"$(field "$info" row0)"
  h=$(field "$info" rowheight)
  xdotool mousemove $(( l + 30 )) $(( t + h * $1 + h / 2 )) click --repeat 2 --delay 80 1
  driver wait "Input an encoding key" 10 >/dev/null || { not_ok "the key is asked for"; return; }
  driver set-text "Input an encoding key" $IDC_ENCODING_KEY "$2"
  driver press "Input an encoding key" $IDOK
}

dir=$(sandbox launcher_left)
mkdir -p "$dir/docs"
printf 'not a program, only text\r\n' >"$dir/docs/broken.exe"
cp "$dir/docs/broken.exe" "$dir/broken.orig"
cp "$VELTA_BUILD/tests/launcher_mark_helper.exe" "$dir/docs/held.exe"
cp "$dir/docs/held.exe" "$dir/held.orig"
cli encode "$(winpath "$dir/docs/broken.exe")" --name Broken --key k3y --dir "$(winpath "$dir")" >/dev/null
cli encode "$(winpath "$dir/docs/held.exe")" --name Held --key k3y --dir "$(winpath "$dir")" >/dev/null
broken=$(ls "$dir"/Broken*.QZD 2>/dev/null | head -n 1)
held=$(ls "$dir"/Held*.QZD 2>/dev/null | head -n 1)
check "the two encoded files are made" test -f "$broken" -a -f "$held"
rm -f "$dir/docs/broken.exe" "$dir/docs/held.exe"
printf '[Exec]\r\nNum=1\r\n\r\n[Exec_0]\r\nNum=2\r\n\r\n[Exec_0_0]\r\nPath=%s\r\nName=Broken\r\nPass=1\r\n\r\n[Exec_0_1]\r\nPath=%s\r\nName=Held\r\nPass=1\r\n' \
  "$(winpath "$broken")" "$(winpath "$held")" >"$dir/Velta.ini"

start_velta "$dir"
check "the clock window appears" driver wait Velta 20
sleep 1

# A start that fails: the restored file is encoded again and deleted at once.
run_row 0 k3y
for _ in 1 2 3; do  # the system's or the clock's word on the failure, if any
  driver msgbox 4 >/dev/null || break
  driver msgbox-press $IDOK
  sleep 0.5
done
check "after the failed start the plain file is gone" wait_gone "$dir/docs/broken.exe" 10
rm -f "$dir/check.exe"
cli decode "$(winpath "$broken")" --key k3y --to "$(winpath "$dir/check.exe")" >/dev/null
check "and the encoded file still decodes to the original" cmp -s "$dir/check.exe" "$dir/broken.orig"
ini=$(tr -d '\r' <"$dir/Velta.ini")
check "and it is not listed as left decoded" [ -z "$(echo "$ini" | sed -n '/^\[Decoded\]/,/^\[/p' | grep '^File')" ]

# A run that the clock does not see the end of.
run_row 1 k3y
check "the held program starts" wait_file "$dir/docs/held.exe.mark" 20
ini=$(tr -d '\r' <"$dir/Velta.ini")
expect_eq "its restored file is listed while it runs" "$(echo "$ini" | sed -n 's/^File1=//p')" "$(winpath "$dir/docs/held.exe")"
kill -9 "$VELTA_PID" 2>/dev/null
check "the clock is killed" velta_ended 10
touch "$dir/docs/release"
sleep 1
check "the plain file stays behind" [ -e "$dir/docs/held.exe" ]

start_velta "$dir"
text=$(driver msgbox 20)
case "$text" in
  *"left decoded by an interrupted run"*"$(winpath "$dir/docs/held.exe")"*) ok "the next start names the file left" ;;
  *) not_ok "the next start names the file left: got '$text'" ;;
esac
shot "$SHOTS/launcher_left_files_en.png"
driver msgbox-press $IDOK
sleep 0.5
driver key Velta $VK_ESCAPE
check "the clock ends" velta_ended 15

start_velta "$dir"
check "the clock starts again" driver wait Velta 20
if driver msgbox 3 >/dev/null; then not_ok "the left file is named only once"; driver msgbox-press $IDOK
else ok "the left file is named only once"; fi
driver key Velta $VK_ESCAPE
velta_ended 15 >/dev/null
