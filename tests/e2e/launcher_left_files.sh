#!/usr/bin/env bash
# The plain files of encoded launcher items are not left behind unnoticed: a start that fails
# encodes the restored file again at once and deletes it; a document handed on by a starter to a
# program that keeps it open gets a notice, keeps Exit refused and is encoded (with its edit)
# by "Encode now" once closed; a clock that ends in the middle of a run (killed) names the file
# it left at its next start, once. Screenshots of the notice in English and Japanese.
source "$(dirname "$0")/lib.sh"
trap stop_velta EXIT

dir=$(sandbox launcher_left)
mkdir -p "$dir/docs"
printf 'not a program, only text\r\n' >"$dir/docs/broken.exe"
cp "$dir/docs/broken.exe" "$dir/broken.orig"
cp "$VELTA_BUILD/tests/launcher_mark_helper.exe" "$dir/docs/held.exe"
printf 'original notes\r\n' >"$dir/docs/notes.vtest"
cp "$dir/docs/notes.vtest" "$dir/notes.orig"
cp "$VELTA_BUILD/tests/handoff_helper.exe" "$dir/handoff.exe"
# ".vtest" documents open with the starter that hands them on.
classes='HKCR'
wine reg add "$classes\.vtest" /ve /d VeltaTest.Document /f </dev/null >/dev/null 2>&1
wine reg add "$classes\VeltaTest.Document\shell\open\command" /ve /d "\"$(winpath "$dir/handoff.exe")\" \"%1\"" /f \
  </dev/null >/dev/null 2>&1
cp "$dir/docs/held.exe" "$dir/held.orig"
cli encode "$(winpath "$dir/docs/broken.exe")" --name Broken --key k3y --dir "$(winpath "$dir")" >/dev/null
cli encode "$(winpath "$dir/docs/held.exe")" --name Held --key k3y --dir "$(winpath "$dir")" >/dev/null
cli encode "$(winpath "$dir/docs/notes.vtest")" --name Notes --key k3y --dir "$(winpath "$dir")" >/dev/null
notes=$(ls "$dir"/Notes*.QZD 2>/dev/null | head -n 1)
broken=$(ls "$dir"/Broken*.QZD 2>/dev/null | head -n 1)
held=$(ls "$dir"/Held*.QZD 2>/dev/null | head -n 1)
check "the two encoded files are made" test -f "$broken" -a -f "$held"
rm -f "$dir/docs/broken.exe" "$dir/docs/held.exe" "$dir/docs/notes.vtest"
item() { printf '[Exec_0_%s]\r\nPath=%s\r\nName=%s\r\nPass=1\r\n\r\n' "$1" "$(winpath "$2")" "$3"; }
{
  printf '[Exec]\r\nNum=1\r\n\r\n[Exec_0]\r\nNum=3\r\n\r\n'
  item 0 "$broken" Broken
  item 1 "$held" Held
  item 2 "$notes" Notes
} >"$dir/Velta.ini"

start_velta "$dir"
check "the clock window appears" driver wait Velta 60
sleep 1

# A start that fails: the restored file is encoded again and deleted at once.
run_row 0 k3y
for _ in 1 2 3; do  # the system's or the clock's word on the failure, if any
  driver msgbox 4 >/dev/null || break
  driver msgbox-press $IDOK >/dev/null
  sleep 0.5
done
check "after the failed start the plain file is gone" wait_gone "$dir/docs/broken.exe" 10
rm -f "$dir/check.exe"
cli decode "$(winpath "$broken")" --key k3y --to "$(winpath "$dir/check.exe")" >/dev/null
check "and the encoded file still decodes to the original" cmp -s "$dir/check.exe" "$dir/broken.orig"
ini=$(tr -d '\r' <"$dir/Velta.ini")
check "and it is not listed as left decoded" [ -z "$(echo "$ini" | sed -n '/^\[Decoded\]/,/^\[/p' | grep '^File')" ]

# A document handed on: the starter ends at once, the holder keeps the file open.
notice="Velta - Encode again"
run_row 2 k3y
check "the document is handed on and held" wait_file "$dir/docs/notes.vtest.held" 20
check "the notice appears" driver wait "$notice" 15
expect_eq "naming the item" "$(driver item-text "$notice" $IDC_OPEN_ELSEWHERE_TEXT)" \
  "Notes is open in another program. Encode it again when you have closed it."
shot "$SHOTS/launcher_open_elsewhere_en.png"
check "the plain file stays while it is held" [ -e "$dir/docs/notes.vtest" ]
driver command Velta $ID_EXIT
expect_eq "Exit is refused meanwhile" "$(driver msgbox 10)" "Please close the file during execution. "
driver msgbox-press $IDOK >/dev/null
sleep 0.5
driver press "$notice" $IDC_ENCODE_NOW
sleep 1
expect_eq "Encode now while it is held says so" "$(driver item-text "$notice" $IDC_OPEN_ELSEWHERE_TEXT)" \
  "Notes is still open in another program. Close it there, then press Encode now."
check "and keeps the notice and the plain file" [ -e "$dir/docs/notes.vtest" ]
touch "$dir/docs/release"
for _ in $(seq 50); do driver process handoff.exe 0 >/dev/null || break; sleep 0.2; done
driver press "$notice" $IDC_ENCODE_NOW
check "once closed, Encode now encodes it and the notice goes" driver gone "$notice" 10
check "the plain file is gone" wait_gone "$dir/docs/notes.vtest" 5
expect_eq "and off the list of restored files" \
  "$(tr -d '\r' <"$dir/Velta.ini" | sed -n '/^\[Decoded\]/,/^\[/p' | grep -c '^File')" 0
rm -f "$dir/check.txt"
cli decode "$(winpath "$notes")" --key k3y --to "$(winpath "$dir/check.txt")" >/dev/null
expect_eq "the encoded file holds the holder's edit" "$(tr -d '\r' <"$dir/check.txt")" \
  "$(printf 'original notes\nedited by the holder')"
rm -f "$dir/docs/release" "$dir/docs/notes.vtest.held"

# A run that the clock does not see the end of.
run_row 1 k3y
check "the held program starts" wait_file "$dir/docs/held.exe.mark" 20
ini=$(tr -d '\r' <"$dir/Velta.ini")
expect_eq "its restored file is listed while it runs" "$(echo "$ini" | sed -n 's/^File1=//p')" "$(winpath "$dir/docs/held.exe")"
kill -9 "$VELTA_PID" 2>/dev/null
wait "$VELTA_PID" 2>/dev/null
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
driver msgbox-press $IDOK >/dev/null
sleep 0.5
driver key Velta $VK_ESCAPE
check "the clock ends" velta_ended 15

start_velta "$dir"
check "the clock starts again" driver wait Velta 60
if driver msgbox 3 >/dev/null; then not_ok "the left file is named only once"; driver msgbox-press $IDOK >/dev/null
else ok "the left file is named only once"; fi
driver key Velta $VK_ESCAPE
velta_ended 15 >/dev/null

# The notice in Japanese.
rm -f "$dir/docs/release" "$dir/docs/notes.vtest.held"
start_velta "$dir" LANG=ja_JP.UTF-8 LC_ALL=ja_JP.UTF-8
check "the clock starts under a Japanese locale" driver wait Velta 60
sleep 1
double_click_row 2
sleep 1.5  # the key dialog, in Japanese, has the focus in its field
xdotool type k3y
xdotool key Return
check "the document is handed on again" wait_file "$dir/docs/notes.vtest.held" 20
expect_eq "the Japanese notice appears" "$(driver dialog-title Velta 15)" "Velta - 再暗号化"
sleep 0.5
shot "$SHOTS/launcher_open_elsewhere_ja.png"
touch "$dir/docs/release"
for _ in $(seq 50); do driver process handoff.exe 0 >/dev/null || break; sleep 0.2; done
driver dialog-click Velta $IDC_ENCODE_NOW
check "the Japanese notice encodes too" wait_gone "$dir/docs/notes.vtest" 10
driver key Velta $VK_ESCAPE
velta_ended 15 >/dev/null
wine reg delete "$classes\.vtest" /f </dev/null >/dev/null 2>&1
wine reg delete "$classes\VeltaTest.Document" /f </dev/null >/dev/null 2>&1
