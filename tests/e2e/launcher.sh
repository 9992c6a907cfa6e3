#!/usr/bin/env bash
# The launcher from outside: shown below the clock, items added through the dialog, reordered,
# started by double-click; an encoded item added with "ExMode" 1, refused with a wrong key,
# restored while it runs with the right one, Exit refused meanwhile, encoded again afterwards.
# Then the Japanese set of the same windows.
source "$(dirname "$0")/lib.sh"
trap stop_velta EXIT

add_item() {  # add_item PATH NAME [KEY]: through the add dialog
  driver launcher-press Velta $IDC_LAUNCHER_ADD
  driver wait Add 10 >/dev/null || { not_ok "the add dialog opens"; return; }
  driver set-text Add $IDC_LAUNCHER_ADD_PATH "$1"
  driver set-text Add $IDC_LAUNCHER_ADD_NAME "$2"
  if [ -n "${3:-}" ]; then
    driver press Add $IDC_LAUNCHER_ADD_ENCODE
    sleep 0.3
    driver set-text Add $IDC_LAUNCHER_ADD_KEY "$3"
  fi
  sleep 0.3
  [ -n "${SHOT_ADD:-}" ] && shot "$SHOT_ADD"
  driver press Add $IDOK
  driver gone Add 10
  sleep 0.3
}

dir=$(sandbox launcher)
helper=$VELTA_BUILD/tests/launcher_mark_helper.exe
cp "$helper" "$dir/plain.exe"
mkdir -p "$dir/docs"
cp "$helper" "$dir/docs/secret.exe"
touch "$dir/release"  # the plain helper ends at once
exmode none

start_velta "$dir"
check "the clock window appears" driver wait Velta 60
sleep 1
clock=$(field "$(driver info Velta)" rect)
driver command Velta $ID_LAUNCHER
sleep 1
info=$(driver launcher Velta)
expect_eq "Launcher... shows the launcher" "$(field "$info" visible)" 1
read -r cl ct cr cb <<<"$clock"
read -r ll lt lr lb <<<"$(field "$info" rect)"
expect_eq "at the clock's left edge, just below the clock" "$ll $lt" "$cl $cb"
shot "$SHOTS/launcher_en.png"

SHOT_ADD=$SHOTS/launcher_add_en.png add_item "$(winpath "$dir/plain.exe")" Plain
add_item 'C:\nowhere\second.exe' Second
expect_eq "two items added through the dialog" "$(field "$(driver launcher Velta)" rows)" 2
click_row 1
driver launcher-press Velta $IDC_LAUNCHER_UP
sleep 0.3
shot "$SHOTS/launcher_rows_en.png"
click_row 1 2                      # Plain is second now: double-click runs it
check "a double-click starts the item (its mark appears)" wait_file "$dir/plain.exe.mark" 15
expect_eq "and hides the launcher" "$(field "$(driver launcher Velta)" visible)" 0

# Encoded item.
exmode 1
driver command Velta $ID_LAUNCHER
sleep 0.5
SHOT_ADD=$SHOTS/launcher_add_encode_en.png add_item "$(winpath "$dir/docs/secret.exe")" Secret "k3y"
expect_eq "the encoded item is added" "$(field "$(driver launcher Velta)" rows)" 3
check "the original file is gone" [ ! -e "$dir/docs/secret.exe" ]
qzd=$(ls "$dir"/Secret*.QZD 2>/dev/null | head -n 1)
check "the encoded file lies beside the program ($(basename "${qzd:-none}"))" [ -f "$qzd" ]
crc=$("$VELTA_ROOT/build/native/velta-cli" crc32 "$helper" 2>/dev/null)
[ -n "$crc" ] && expect_eq "named after the name and the CRC" "$(basename "$qzd")" "Secret$crc.QZD"
before=$(stat -c %y "$qzd")

click_row 2 2
check "a run asks for the key" driver wait "Input an encoding key" 10
driver set-text "Input an encoding key" $IDC_ENCODING_KEY wrong
driver press "Input an encoding key" $IDOK
sleep 2
check "with a wrong key nothing is restored" [ ! -e "$dir/docs/secret.exe" ]
check "and nothing starts" [ ! -e "$dir/docs/secret.exe.mark" ]
text=$(driver msgbox 10)
case "$text" in
  *"Secret was not started"*"The key is wrong, or the encoded file"*) ok "a wrong key is told, naming the item" ;;
  *) not_ok "a wrong key is told, naming the item: got '$text'" ;;
esac
shot "$SHOTS/launcher_wrong_key_en.png"
driver msgbox-press $IDOK

driver command Velta $ID_LAUNCHER
sleep 0.5
click_row 2 2
driver wait "Input an encoding key" 10 >/dev/null
shot "$SHOTS/launcher_key_en.png"
driver set-text "Input an encoding key" $IDC_ENCODING_KEY k3y
driver press "Input an encoding key" $IDOK
check "with the right key the program starts" wait_file "$dir/docs/secret.exe.mark" 20
expect_eq "its restored file is listed while it runs" \
  "$(tr -d '\r' <"$dir/Velta.ini" | sed -n 's/^File1=//p')" "$(winpath "$dir/docs/secret.exe")"
check "and the original is back while it runs" [ -e "$dir/docs/secret.exe" ]

driver command Velta $ID_EXIT
text=$(driver msgbox 10)
expect_eq "Exit is refused with message 127" "$text" "Please close the file during execution. "
shot "$SHOTS/launcher_exit_refused_en.png"
driver msgbox-press $IDOK
sleep 0.5
expect_eq "the clock is shown again" "$(field "$(driver info Velta)" visible)" 1

touch "$dir/docs/release"
check "after the program ends the plain file is gone" wait_gone "$dir/docs/secret.exe" 20
sleep 0.5
listed() { tr -d '\r' <"$dir/Velta.ini" | sed -n '/^\[Decoded\]/,/^\[/p' | grep -c '^File'; }
expect_eq "and it is off the list of restored files" "$(listed)" 0
check "the encoded file was written again" [ "$(stat -c %y "$qzd")" != "$before" ]
if [ -x "$VELTA_ROOT/build/native/velta-cli" ]; then
  "$VELTA_ROOT/build/native/velta-cli" decode "$qzd" --key k3y --to "$dir/check.exe" >/dev/null
  check "and still decodes to the original" cmp -s "$dir/check.exe" "$helper"
fi

driver command Velta $ID_EXIT
check "with nothing running Exit ends the program" velta_ended 15
ini=$(tr -d '\r' <"$dir/Velta.ini")
section() { echo "$ini" | awk -v s="[$1]" '$0==s{f=1;next} /^\[/{f=0} f'; }
expect_eq "three items saved in group 0" "$(section Exec_0 | sed -n 's/^Num=//p')" 3
expect_eq "in the new order" "$(section Exec_0_0 | sed -n 's/^Name=//p') $(section Exec_0_1 | sed -n 's/^Name=//p')" "Second Plain"
expect_eq "the encoded item keeps its flag" "$(section Exec_0_2 | sed -n 's/^Pass=//p')" 1
expect_eq "ten groups" "$(section Exec | sed -n 's/^Num=//p')" 10

# The Japanese windows.
start_velta "$dir" LANG=ja_JP.UTF-8 LC_ALL=ja_JP.UTF-8
check "the clock starts under a Japanese locale" driver wait Velta 60
sleep 1
driver command Velta $ID_LAUNCHER
sleep 1
expect_eq "the launcher shows in Japanese too" "$(field "$(driver launcher Velta)" rows)" 3
shot "$SHOTS/launcher_ja.png"
driver launcher-press Velta $IDC_LAUNCHER_ADD
sleep 1.5
shot "$SHOTS/launcher_add_encode_ja.png"
xdotool key Escape
sleep 0.5
exmode 0
driver launcher-press Velta $IDC_LAUNCHER_ADD
sleep 1.5
shot "$SHOTS/launcher_add_ja.png"
xdotool key Escape
sleep 0.5
click_row 2 2
sleep 1.5
shot "$SHOTS/launcher_key_ja.png"
ja_key="復号化キー入力"
LANG=ja_JP.UTF-8 LC_ALL=ja_JP.UTF-8 driver set-text "$ja_key" $IDC_ENCODING_KEY wrong
LANG=ja_JP.UTF-8 LC_ALL=ja_JP.UTF-8 driver press "$ja_key" $IDOK
text=$(LANG=ja_JP.UTF-8 LC_ALL=ja_JP.UTF-8 driver msgbox 10 | iconv -f CP932 -t UTF-8 2>/dev/null)
case "$text" in
  *"Secret のファイルを復元できなかったため"*"キーが違うか"*) ok "a wrong key is told in Japanese, naming the item" ;;
  *) not_ok "a wrong key is told in Japanese, naming the item: got '$text'" ;;
esac
shot "$SHOTS/launcher_wrong_key_ja.png"
driver msgbox-press $IDOK
sleep 0.5
exmode none
driver key Velta $VK_ESCAPE
check "Esc ends the Japanese clock" velta_ended 15
