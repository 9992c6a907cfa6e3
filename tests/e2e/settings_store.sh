#!/usr/bin/env bash
# The clock's settings file beside the executable: a file holding only
# "Format", a window resized with the real mouse and stored on Esc, a second
# run that changes no byte, "Option" = 0, and a hostile file.
source "$(dirname "$0")/lib.sh"
trap stop_velta EXIT

info_of() { driver info Velta | sed -n "s/^$1 //p"; }
# The file's lines without their CR, or "not CR LF" when a line lacks one.
lines_of() {
  local total crlf
  total=$(wc -l <"$1"); crlf=$(grep -c $'\r$' "$1")
  if [ "$total" != "$crlf" ]; then echo "not CR LF ($crlf of $total lines)"; return; fi
  tr -d '\r' <"$1"
}
value_of() { tr -d '\r' <"$1" | sed -n "s/^$2=//p" | head -n 1; }
# Presses the left button at (x1,y1), moves to (x2,y2) in two steps, releases.
drag() {
  xdotool mousemove "$1" "$2" sleep 0.3 mousedown 1 sleep 0.3 \
    mousemove $(( ($1 + $3) / 2 )) $(( ($2 + $4) / 2 )) sleep 0.3 mousemove "$3" "$4" sleep 0.3 mouseup 1
  sleep 0.5
}

# 0. No file: Esc writes the whole block into a new one, newest key first.
dir=$(sandbox settings_store_new)
start_velta "$dir"
check "the clock starts with no settings file" driver wait Velta 60
sleep 1
driver key Velta 0x1B
check "Esc ends the clock" velta_ended 10
# The [Settings] block comes first, then [Adjust]; the launcher's [Exec] sections follow.
expect_eq "a new file holds the header and Format ... Font" "$(lines_of "$dir/Velta.ini" | sed '/^$/,$d' | cut -d= -f1)" \
  $'[Settings]\nFormat\nOption\nbottom\nright\ntop\nleft\nFlagDT\nBackColor\nForeColor\nFont'
expect_eq "with the default format" "$(value_of "$dir/Velta.ini" Format)" "%Y/%m/%d (%a) %H:%M"
expect_eq "then the Adjust block, newest key first" \
  "$(lines_of "$dir/Velta.ini" | awk 'BEGIN { RS = "" } NR == 2' | cut -d= -f1)" $'[Adjust]\nRetry\nTimeOut\nPort\nServer'
check "then the launcher's ten groups" grep -q $'^\\[Exec\\]\r$' "$dir/Velta.ini"
check "and no byte-order mark" [ "$(head -c 1 "$dir/Velta.ini")" = "[" ]

# 1. Only "Format" in the file: the window takes it and keeps every other default.
dir=$(sandbox settings_store)
ini=$dir/Velta.ini
printf '[Settings]\r\nFormat=%%H-%%M\r\n' >"$ini"
start_velta "$dir"
check "the clock starts with a file holding only Format" driver wait Velta 60
sleep 1.5
expect_eq "default rectangle" "$(info_of rect)" "0 0 400 200"
expect_eq "default: topmost" "$(info_of topmost)" 1
expect_eq "default: sizing frame" "$(info_of thickframe)" 1
shot "$SHOTS/settings_format_only.png"
read -r w h x y <<<"$(ink_box "$SHOTS/settings_format_only.png" 392 192 4 4)"
check "the face shows the short format \"%H-%M\" (ink ${w:-0} x ${h:-0})" [ $(( ${w:-0} > 20 && ${w:-0} < 110 )) -eq 1 ]
white=$(count_colour "$SHOTS/settings_format_only.png" 392 192 4 4 '#FFFFFF')
check "white text on the default black face ($white)" [ "${white:-0}" -gt 50 ]

# Resize with the real mouse through the sizing frame: bottom-right corner, then top-left.
drag 399 199 499 259
drag 1 1 31 41
expect_eq "the window has the dragged rectangle" "$(info_of rect)" "30 40 500 260"
shot "$SHOTS/settings_dragged.png"
driver key Velta 0x1B
check "Esc ends the clock" velta_ended 10

expected_keys=$'[Settings]\nOption\nbottom\nright\ntop\nleft\nFlagDT\nBackColor\nForeColor\nFont\nFormat'
expect_eq "Esc wrote the whole Settings block, newest key first, Format kept in its place" \
  "$(lines_of "$ini" | sed '/^$/,$d' | cut -d= -f1)" "$expected_keys"
expect_eq "left" "$(value_of "$ini" left)" 30
expect_eq "top" "$(value_of "$ini" top)" 40
expect_eq "right" "$(value_of "$ini" right)" 500
expect_eq "bottom" "$(value_of "$ini" bottom)" 260
expect_eq "Option" "$(value_of "$ini" Option)" 196616
expect_eq "ForeColor" "$(value_of "$ini" ForeColor)" 16777215
expect_eq "Format" "$(value_of "$ini" Format)" "%H-%M"
check "Font is 120 uppercase hex digits" bash -c "[[ '$(value_of "$ini" Font)' =~ ^[0-9A-F]{120}$ ]]"
check "no temporary file is left beside it" [ ! -e "$ini.tmp" ]
cp "$ini" "$dir/first.ini"
cli() { wine "$VELTA_BUILD/velta-cli.exe" "$@" </dev/null 2>/dev/null | tr -d '\r'; }
expect_eq "velta-cli reads the same file" "$(cli ini "$(winepath -w "$ini" 2>/dev/null)" get-int Settings right)" 500

# 2. A second run that changes nothing rewrites the same bytes.
start_velta "$dir"
check "the clock starts again" driver wait Velta 60
sleep 1
expect_eq "at the stored rectangle" "$(info_of rect)" "30 40 500 260"
driver key Velta 0x1B
check "and ends" velta_ended 10
check "the second save is byte for byte the first" cmp -s "$ini" "$dir/first.ini"

# 3. "Option" = 0: no frame removal, not topmost.
printf '[Settings]\r\nOption=0\r\n' >"$ini"
start_velta "$dir"
check "the clock starts with Option 0" driver wait Velta 60
sleep 1
expect_eq "Option 0: sizing frame kept" "$(info_of thickframe)" 1
expect_eq "Option 0: not topmost" "$(info_of topmost)" 0
driver key Velta 0x1B
check "and ends" velta_ended 10
expect_eq "Option 0 stored again" "$(value_of "$ini" Option)" 0

# 4. A hostile file: huge numbers, garbage hex, over-long lines. The clock starts
# with the defaults and the rest of the file survives the save.
long=$(head -c 200000 /dev/zero | tr '\0' 'Z')
{
  printf '[Settings]\r\nleft=99999999999999999999\r\ntop=-99999999999999999999\r\n'
  printf 'right=99999999999999999999\r\nbottom=12\r\nFont=GARBAGE%s\r\n' "$long"
  printf 'Font2=%s\r\n\r\n[Junk]\r\nLine=%s\r\nlf only\nno end' "$long" "$long"
} >"$ini"
cp "$ini" "$dir/hostile.ini"
start_velta "$dir"
check "the clock starts with a hostile file" driver wait Velta 60
sleep 1.5
expect_eq "the default rectangle" "$(info_of rect)" "0 0 400 200"
shot "$SHOTS/settings_hostile.png"
black=$(count_colour "$SHOTS/settings_hostile.png" 392 192 4 4 '#000000')
white=$(count_colour "$SHOTS/settings_hostile.png" 392 192 4 4 '#FFFFFF')
check "the default face is drawn ($black black, $white white pixels)" [ $(( ${black:-0} > 50000 && ${white:-0} > 100 )) -eq 1 ]
check "still running" kill -0 "$VELTA_PID"
driver key Velta 0x1B
check "Esc ends it" velta_ended 10
same_junk() { cmp -s <(grep -a -A2 '^\[Junk\]' "$ini") <(grep -a -A2 '^\[Junk\]' "$dir/hostile.ini"); }
check "the over-long line of another section survives byte for byte" same_junk
expect_eq "the hostile rectangle was replaced by the window's" "$(value_of "$ini" left) $(value_of "$ini" right)" "0 400"

# 5. velta-cli ini, natively and under Wine: a UTF-16 file (with or without its mark) is
# refused by every action with its reason and left as it is; a settings file that is a
# symbolic link is written through the link, which stays a link.
native=$VELTA_ROOT/build/native/velta-cli
cli_work=$VELTA_ROOT/build/e2e/settings_store_cli
rm -rf "$cli_work"; mkdir -p "$cli_work"
utf16() { printf '%s' "$1" | iconv -f UTF-8 -t "$2"; }
for side in native wine; do
  if [ $side = native ]; then
    [ -x "$native" ] || continue
    run() { "$native" "$@" 2>&1 >/dev/null; }
    at() { echo "$1"; }
  else
    run() { wine "$VELTA_BUILD/velta-cli.exe" "$@" </dev/null 2>&1 >/dev/null | tr -d '\r'; return "${PIPESTATUS[0]}"; }
    at() { winepath -w "$1" 2>/dev/null; }
  fi
  for encoding in UTF-16LE UTF-16BE UTF-16; do  # UTF-16: with the mark
    f=$cli_work/$side-$encoding.ini
    utf16 $'[Settings]\r\nFormat=%H:%M\r\nleft=10\r\n' $encoding >"$f"
    cp "$f" "$f.keep"
    for action in "get Settings Format" "get-int Settings left" "set Settings Format %S" "set-int Settings left 5" \
      "delete Settings left" "delete Settings" "keys Settings" "sections"; do
      # shellcheck disable=SC2086
      msg=$(run ini "$(at "$f")" $action); rc=$?
      expect_eq "$side: ini $action on $encoding ends with 1" "$rc" 1
      check "$side: and says why ($msg)" bash -c "[[ \"\$1\" == *'is UTF-16 text'* ]]" _ "$msg"
    done
    check "$side: the $encoding file is unchanged" cmp -s "$f" "$f.keep"
  done
  mkdir -p "$cli_work/$side-real"
  printf '[Settings]\r\nleft=10\r\n' >"$cli_work/$side-real/Velta.ini"
  ln -sfn "$side-real/Velta.ini" "$cli_work/$side-link.ini"
  run ini "$(at "$cli_work/$side-link.ini")" set-int Settings left 20 >/dev/null
  check "$side: a settings file that is a symbolic link stays a link" [ -L "$cli_work/$side-link.ini" ]
  expect_eq "$side: and its target gets the new text" "$(value_of "$cli_work/$side-real/Velta.ini" left)" 20
  # Names that cannot be stored: each refused with its own reason (2), the file left as it was.
  f=$cli_work/$side-names.ini
  printf '[Settings]\r\nleft=10\r\n' >"$f"
  cp "$f" "$f.keep"
  while IFS='|' read -r action section key why; do
    msg=$(run ini "$(at "$f")" "$action" "$section" "$key" 5); rc=$?
    expect_eq "$side: ini $action '$section' '$key' ends with 2" "$rc" 2
    check "$side: and says why ($msg)" bash -c "[[ \"\$1\" == *\"\$2\"* ]]" _ "$msg" "$why"
  done <<'CASES'
set|Settings||KEY is empty
set||left|SECTION is empty
set-int||left|SECTION is empty
set|Settings|[left]|KEY starts with "["
set-int|Settings| [left|KEY starts with "["
set|Settings|a=b|KEY holds "="
CASES
  check "$side: the file is unchanged" cmp -s "$f" "$f.keep"
done
