#!/usr/bin/env bash
# Where the clock's files go when the program's folder will not take them: a read-only
# Velta.ini is never written; with the program's folder unwritable the clock still starts, its
# settings go to %APPDATA%\Orvex's Applications\Velta\Velta.ini and are read from there at the
# next start, and new encoded launcher items are kept in that folder as well.
source "$(dirname "$0")/lib.sh"

settings_fallback_watch

# 1. A read-only settings file stays as it is, attribute and all (a rename would replace it under Wine).
dir=$(sandbox settings_read_only)
printf '[Settings]\r\nFormat=%%H:%%M\r\nOption=196616\r\n' >"$dir/Velta.ini"
cp "$dir/Velta.ini" "$dir.keep"
chmod a-w "$dir/Velta.ini"
start_velta "$dir"
check "the clock starts with a read-only Velta.ini" wait_window
sleep 1
driver command Velta $ID_WINDOW_FRAME   # stored at once: refused, and the user is told
box=$(driver message-box - 15)
check "the user is told the file is read-only ($(echo "$box" | sed -n 's/^text //p' | head -c 80))" \
  bash -c "echo '$box' | grep -q 'read-only'"
driver press-message-box - $IDOK
sleep 0.5
driver command Velta $ID_EXIT   # stored again, and told no more
check "and ends without a second message" velta_ended 15
check "the read-only Velta.ini is unchanged" cmp -s "$dir/Velta.ini" "$dir.keep"
check "and still read-only" [ -z "$(find "$dir/Velta.ini" -perm /222)" ]
expect_eq "no other file appeared beside it" "$(ls "$dir" | tr '\n' ' ')" "Velta.exe Velta.ini "
check "and nothing went elsewhere" [ ! -e "$appdata_dir/Velta.ini" ]
chmod u+w "$dir/Velta.ini"
rm -f "$dir.keep"

# 2. The program's folder takes no new files.
dir=$(sandbox settings_appdata)
docs=$VELTA_ROOT/build/e2e/settings_appdata_docs
rm -rf "$docs"; mkdir -p "$docs"
printf 'a secret worth keeping\n' >"$docs/secret.txt"
if ! lock "$dir"; then
  ok "skipped: no way to make a folder unwritable here"
  exit 0
fi
start_velta "$dir"
check "the clock starts in a folder it cannot write" wait_window
sleep 1
driver command Velta $ID_WINDOW_FRAME   # frameless: stored at once
check "the changed setting is saved under %APPDATA%" wait_value "$appdata_dir/Velta.ini" Option 196620
check "nothing was written beside the program" [ ! -e "$dir/Velta.ini" ]

# A new encoded launcher item is kept there too.
settings_key="HKCU\\Software\\Orvex's Applications\\Velta\\Settings"
wine reg add "$settings_key" /v ExMode /t REG_DWORD /d 1 /f </dev/null >/dev/null 2>&1
driver command Velta $ID_LAUNCHER
sleep 1
driver launcher-press Velta $IDC_LAUNCHER_ADD
if driver wait Add 10 >/dev/null; then
  driver set-text Add $IDC_LAUNCHER_ADD_PATH "$(winepath -w "$docs/secret.txt" 2>/dev/null | tr -d '\r')"
  driver set-text Add $IDC_LAUNCHER_ADD_NAME Secret
  driver press Add $IDC_LAUNCHER_ADD_ENCODE
  sleep 0.3
  driver set-text Add $IDC_LAUNCHER_ADD_KEY k3y
  driver press Add $IDOK
  driver gone Add 10
  sleep 1
else
  not_ok "the add dialog opens"
fi
wine reg delete "$settings_key" /v ExMode /f </dev/null >/dev/null 2>&1
for i in $(seq 100); do  # encoding runs on a worker: wait for its file rather than a fixed time
  qzd=$(ls "$appdata_dir"/Secret*.QZD 2>/dev/null | head -n 1)
  [ -n "$qzd" ] && break
  sleep 0.1
done
check "the encoded file went to the same folder ($(basename "${qzd:-none}"))" [ -f "$qzd" ]
check "and the original is gone" wait_gone "$docs/secret.txt" 10
if [ -x "$VELTA_ROOT/build/native/velta-cli" ] && [ -f "$qzd" ]; then
  "$VELTA_ROOT/build/native/velta-cli" decode "$qzd" --key k3y --to "$docs/check.txt" >/dev/null
  check "it decodes to the original" grep -q 'a secret worth keeping' "$docs/check.txt"
fi
driver command Velta $ID_EXIT
check "Exit ends the clock" velta_ended 15
check "with its settings under %APPDATA%, naming the item" grep -q "Secret" "$appdata_dir/Velta.ini"

start_velta "$dir"
check "the clock starts again" wait_window
sleep 1
expect_eq "the setting is read from %APPDATA% (no frame)" "$(info_of thickframe)" 0
driver command Velta $ID_EXIT
check "and ends" velta_ended 15
unlock "$dir"
check "the program's folder holds only the program" [ "$(ls "$dir")" = Velta.exe ]

# 3. Two more portable copies beside that fallback: each keeps its own settings. One has its
# own Velta.ini (with the frame), the other a folder that takes files but no Velta.ini yet:
# neither reads the fallback (no frame), and neither changes it.
cp "$appdata_dir/Velta.ini" "$appdata_dir.keep"
own=$(sandbox settings_own_copy)
printf '[Settings]\r\nFormat=%%H:%%M\r\nOption=196616\r\n' >"$own/Velta.ini"
fresh=$(sandbox settings_fresh_copy)
for copy in "$own" "$fresh"; do
  name=$(basename "$copy")
  start_velta "$copy"
  check "$name: the clock starts" wait_window
  sleep 1
  expect_eq "$name: its own settings, not the fallback's (frame shown)" "$(info_of thickframe)" 1
  driver command Velta $ID_WINDOW_FRAME   # frameless: stored at once
  check "$name: the change is saved beside the program" wait_value "$copy/Velta.ini" Option 196620
  driver command Velta $ID_EXIT
  check "$name: and ends" velta_ended 15
  check "$name: the fallback is as the locked copy left it" cmp -s "$appdata_dir/Velta.ini" "$appdata_dir.keep"
done
expect_eq "the copy with its own file kept its format" "$(value_of "$own/Velta.ini" Format)" "%H:%M"
lock "$dir" >/dev/null
start_velta "$dir"
check "the locked copy starts again" wait_window
sleep 1
expect_eq "and still reads its settings from %APPDATA% (no frame)" "$(info_of thickframe)" 0
driver command Velta $ID_EXIT
check "and ends" velta_ended 15
unlock "$dir"
rm -f "$appdata_dir.keep"
