#!/usr/bin/env bash
# Names no ANSI code page holds, on an English system (code page 1252): a launcher item whose file
# name has Japanese and an emoji is added through the dialog, encoded beside the program under a
# readable name, started (restored under its exact name, encoded again once its program ends) and
# removed (restored again); velta-cli reads its stored path natively and under Wine. velta-cli.exe
# takes its arguments wide: "--to" a full-width name writes that name and no look-alike, and a key
# the code page cannot hold is refused.
source "$(dirname "$0")/lib.sh"
trap stop_velta EXIT
export LANG=en_US.UTF-8 LC_ALL=en_US.UTF-8
japanese_font_links  # the list shows the Japanese name in the screenshots

native=$VELTA_ROOT/build/native/velta-cli
status() { "$@" >/dev/null 2>&1; echo $?; }

name='日本語のメモ🎉'
dir=$(sandbox launcher_wide)
mkdir -p "$dir/docs"
doc=$dir/docs/$name.vwide
printf 'notes in a file of any name\r\n' >"$doc"
cp "$doc" "$dir/doc.orig"
# ".vwide" documents open with the mark helper, which runs in the document's folder until "release".
cp "$VELTA_BUILD/tests/launcher_mark_helper.exe" "$dir/wide_helper.exe"
wine reg add 'HKCR\.vwide' /ve /d VeltaTest.Wide /f </dev/null >/dev/null 2>&1
wine reg add 'HKCR\VeltaTest.Wide\shell\open\command' /ve /d "\"$(winpath "$dir/wide_helper.exe")\" \"%1\"" /f \
  </dev/null >/dev/null 2>&1
wine reg add "$settings_key" /v ExMode /t REG_DWORD /d 1 /f </dev/null >/dev/null 2>&1

start_velta "$dir"
check "the clock window appears" driver wait Velta 60
sleep 1
driver command Velta $ID_LAUNCHER
sleep 0.5
driver launcher-press Velta $IDC_LAUNCHER_ADD
driver wait Add 10 >/dev/null || not_ok "the add dialog opens"
driver set-text Add $IDC_LAUNCHER_ADD_PATH "$(winpath "$doc")"
driver set-text Add $IDC_LAUNCHER_ADD_NAME "$name"
driver press Add $IDC_LAUNCHER_ADD_ENCODE
sleep 0.3
driver set-text Add $IDC_LAUNCHER_ADD_KEY k3y
sleep 0.3
shot "$SHOTS/launcher_wide_add.png"
driver press Add $IDOK
driver gone Add 10 >/dev/null
sleep 0.5
expect_eq "the item is added" "$(field "$(driver launcher Velta)" rows)" 1
shot "$SHOTS/launcher_wide_list.png"
check "the original file is gone once encoded" [ ! -e "$doc" ]
crc=$("$native" crc32 "$dir/doc.orig" 2>/dev/null)
qzd=$dir/$name$crc.QZD
check "the encoded file keeps the name readable ($(cd "$dir" && ls *.QZD 2>/dev/null))" [ -f "$qzd" ]

info=$("$native" info "$qzd" --key k3y)
expect_eq "velta-cli natively reads the exact stored path" "$(field "$info" path:)" "$(winpath "$doc")"
expect_eq "stored as UTF-8, past code page 1252" "$(field "$info" "path stored in:")" "UTF-8"
winfo=$(cli info "$(winpath "$qzd")" --key k3y)
expect_eq "velta-cli.exe reads the same path" "$(field "$winfo" path:)" "$(winpath "$doc")"

# Started: restored under its exact name, encoded again when its program ends.
before=$(stat -c %y "$qzd")
click_row 0 2
give_key k3y
check "the program starts in the document's folder" wait_file "$dir/docs/wide_helper.exe.mark" 20
check "the document is restored under its exact name" cmp -s "$doc" "$dir/doc.orig"
touch "$dir/docs/release"
check "once the program ends the plain file is gone" wait_gone "$doc" 20
sleep 0.5
check "the encoded file was written again" [ "$(stat -c %y "$qzd")" != "$before" ]
expect_eq "still with the exact stored path" "$(field "$("$native" info "$qzd" --key k3y)" path:)" "$(winpath "$doc")"
rm -f "$dir/docs/release" "$dir/docs/wide_helper.exe.mark"

# velta-cli.exe restores to the stored path itself.
expect_eq "velta-cli.exe decode names the exact path" "$(cli decode "$(winpath "$qzd")" --key k3y)" "$(winpath "$doc")"
check "and writes the file of that name" cmp -s "$doc" "$dir/doc.orig"
rm -f "$doc"

# Removed: restored to its exact name, the encoded file deleted.
driver command Velta $ID_LAUNCHER
sleep 0.5
click_row 0
driver launcher-press Velta $IDC_LAUNCHER_DEL
expect_eq "removing asks whether to restore" "$(driver msgbox 10)" "Is an encoding file restored? "
driver msgbox-press $IDYES >/dev/null
give_key k3y
check "the file is restored under its exact name" wait_file "$doc" 20
check "with its content" cmp -s "$doc" "$dir/doc.orig"
check "and the encoded file is gone" wait_gone "$qzd" 10
expect_eq "the item is removed" "$(field "$(driver launcher Velta)" rows)" 0
driver command Velta $ID_EXIT
check "the clock ends" velta_ended 15
wine reg delete "$settings_key" /v ExMode /f </dev/null >/dev/null 2>&1

# Arguments are read wide: a full-width name is that name, never the ASCII look-alike.
work=$dir/cli
mkdir -p "$work"
printf 'content to recover\n' >"$work/data.txt"
printf 'a file of a similar name\n' >"$work/full.txt"
cp "$work/full.txt" "$work/full.keep"
enc=$(cli encode "$(winpath "$work/data.txt")" --name Data --key k --dir "$(winpath "$work")")
enc=$work/$(basename "${enc//\\//}")
check "velta-cli.exe encodes ($enc)" [ -f "$enc" ]
(cd "$work" && cli decode "$(winpath "$enc")" --key k --to 'ｆｕｌｌ.txt' >/dev/null)
check "decode --to a full-width name writes that name" cmp -s "$work/ｆｕｌｌ.txt" "$work/data.txt"
check "the file of the similar name is untouched" cmp -s "$work/full.txt" "$work/full.keep"
expect_eq "and nothing else is written" "$(cd "$work" && ls | LC_ALL=C sort | tr '\n' ' ')" \
  "$(printf '%s\n' "$(basename "$enc")" data.txt full.keep full.txt 'ｆｕｌｌ.txt' | LC_ALL=C sort | tr '\n' ' ')"
expect_eq "a name of any script is printed whole" "$(cli md5 "$(winpath "$work/ｆｕｌｌ.txt")")" \
  "$(md5sum "$work/data.txt" | cut -c1-32)"

# Keys stay bytes of the code page: one it cannot hold is refused, with a reason.
refuse=(encode "$(winpath "$work/data.txt")" --name K --key '鍵🔑' --dir "$(winpath "$work")")
msg=$(wine "$VELTA_BUILD/velta-cli.exe" "${refuse[@]}" </dev/null 2>&1 >/dev/null | tr -d '\r')
expect_eq "velta-cli.exe refuses a key code page 1252 cannot hold" "$(status cli "${refuse[@]}")" 1
check "and says why ($msg)" bash -c "[[ '$msg' == *'code page 1252 cannot hold'* ]]"
pkey=$(cli encode "$(winpath "$work/data.txt")" --name Accent --key 'pässword' --dir "$(winpath "$work")")
pkey=$work/$(basename "${pkey//\\//}")
check "a key of code page 1252 is taken ($pkey)" [ -f "$pkey" ]
if [ -x "$native" ]; then
  expect_eq "natively, where there is no ANSI code page, it is refused" "$(status "$native" info "$pkey" --key 'pässword')" 1
  "$native" decode "$pkey" --key 'pässword' --code-page 1252 --to "$work/accent.txt" >/dev/null
  check "and recovers with --code-page 1252" cmp -s "$work/accent.txt" "$work/data.txt"
  # A path natively: beyond ASCII it is stored as UTF-8, and velta-cli.exe restores it exactly.
  mkdir -p "$work/ネイティブ"
  cp "$work/data.txt" "$work/ネイティブ/データ🎉.txt"
  nenc=$("$native" encode "$work/ネイティブ/データ🎉.txt" --name 'データ🎉' --key k --dir "$work")
  check "natively the encoded file keeps the name ($(basename "$nenc"))" bash -c "[[ '$(basename "$nenc")' == データ🎉*.QZD ]]"
  expect_eq "its stored path is UTF-8" "$(field "$("$native" info "$nenc" --key k)" "path stored in:")" UTF-8
  (cd "$work" && cli decode "$(winpath "$nenc")" --key k --to 'データ🎉.txt' >/dev/null)
  check "velta-cli.exe recovers it under a name of any script" cmp -s "$work/データ🎉.txt" "$work/data.txt"
fi
