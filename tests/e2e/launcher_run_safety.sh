#!/usr/bin/env bash
# Runs of encoded launcher items that must not cost the user a byte or leave plain text unnamed,
# under the whole program: an item whose stored path is the settings file is refused and the
# settings stay; a clock killed in the middle of a large restore leaves its temporary plain file
# listed before a byte was written, and the next start deletes it without a word.
source "$(dirname "$0")/lib.sh"
trap stop_velta EXIT

decoded() { tr -d '\r' <"$dir/Velta.ini" | sed -n '/^\[Decoded\]/,/^\[/p' | grep '^File'; }

dir=$(sandbox launcher_run_safety)
mkdir -p "$dir/docs"
head -c 600M /dev/urandom >"$dir/docs/big.bin" 2>/dev/null
cli encode "$(winpath "$dir/docs/big.bin")" --name Big --key k3y --dir "$(winpath "$dir")" >/dev/null
big=$(ls "$dir"/Big*.QZD 2>/dev/null | head -n 1)
check "the large encoded file is made" test -f "$big"
rm -f "$dir/docs/big.bin"
printf 'not settings\r\n' | python3 "$VELTA_ROOT/tests/e2e/qzd_craft.py" "$dir/Ini.QZD" k3y "$(winpath "$dir/Velta.ini")"
printf 'relative\r\n' | python3 "$VELTA_ROOT/tests/e2e/qzd_craft.py" "$dir/Rel.QZD" k3y 'docs\rel.txt'
item() { printf '[Exec_0_%s]\r\nPath=%s\r\nName=%s\r\nPass=1\r\n\r\n' "$1" "$(winpath "$2")" "$3"; }
{
  printf '[Exec]\r\nNum=1\r\n\r\n[Exec_0]\r\nNum=3\r\n\r\n'
  item 0 "$big" Big
  item 1 "$dir/Ini.QZD" Crafted
  item 2 "$dir/Rel.QZD" Relative
} >"$dir/Velta.ini"

start_velta "$dir"
check "the clock window appears" driver wait Velta 60

# A stored path that is the settings file.
run_row 1 k3y
text=$(driver msgbox 15)
case "$text" in
  *"Crafted"*"the encoded file itself or the settings file"*) ok "a stored path naming the settings file is refused" ;;
  *) not_ok "a stored path naming the settings file is refused: got '$text'" ;;
esac
driver msgbox-press $IDOK >/dev/null
check "and the settings file keeps the items" grep -q 'Name=Crafted' "$dir/Velta.ini"

# A stored path that is not a full path: told with its reason, nothing written.
run_row 2 k3y
text=$(driver msgbox 15)
case "$text" in
  *"Relative was not started"*'docs\rel.txt, is not a full path on this system'*) ok "a stored path that is not a full path is told" ;;
  *) not_ok "a stored path that is not a full path is told: got '$text'" ;;
esac
driver msgbox-press $IDOK >/dev/null
check "and nothing is written for it" bash -c '[ ! -e "$1/docs/rel.txt" ] && [ ! -e "$1/rel.txt" ]' _ "$dir"

# Killed in the middle of a restore.
run_row 0 k3y
temporary=
for _ in $(seq 200); do
  temporary=$(ls "$dir"/docs/~vt*.tmp 2>/dev/null | head -n 1)
  [ -n "$temporary" ] && break
  sleep 0.1
done
check "the restore writes a temporary file" [ -n "$temporary" ]
list=$(decoded)
case "$list" in
  "") not_ok "the temporary file is listed while it is written: nothing listed" ;;
  *"$(winpath "${temporary:-none}")"*) ok "the temporary file is listed while it is written" ;;
  *) not_ok "the temporary file is listed while it is written: got '$list'" ;;
esac
kill -9 "$VELTA_PID" 2>/dev/null
wait "$VELTA_PID" 2>/dev/null
check "the clock is killed mid-restore" velta_ended 10
check "the temporary plain file is left" [ -e "$temporary" ]

start_velta "$dir"
check "the clock starts again" driver wait Velta 60
check "the next start deletes the temporary file" wait_gone "$temporary" 10
if driver msgbox 3 >/dev/null; then
  not_ok "nothing to name: got '$(driver msgbox 1)'"
  driver msgbox-press $IDOK >/dev/null
else
  ok "nothing to name: the target was never written"
fi
expect_eq "nothing plain is left beside it" "$(ls "$dir/docs" | tr '\n' ' ')" ""
expect_eq "and the list is empty" "$(decoded)" ""
driver key Velta $VK_ESCAPE
check "the clock ends" velta_ended 15
