#!/usr/bin/env bash
# Signing out or shutting down with the clock running, as the system tells a
# program: WM_QUERYENDSESSION is answered "yes" at once, WM_ENDSESSION saves the
# settings as Exit does and ends the clock, with no dialog on the way even while
# Exit would refuse. A started encoded item whose program ends meanwhile is
# encoded again before the clock goes; one that goes on is left as it is.
source "$(dirname "$0")/lib.sh"
cleanup() {
  stop_velta
  [ -n "${dir:-}" ] && [ -d "$dir/docs" ] && touch "$dir/docs/release"
}
trap cleanup EXIT
field() { echo "$1" | sed -n "s/^$2 //p"; }
winpath() { winepath -w "$1" 2>/dev/null | tr -d '\r'; }
ini_value() { tr -d '\r' <"$1" | awk -v s="[$2]" -v k="$3" '$0 == s { on = 1; next } /^\[/ { on = 0 } on && index($0, k "=") == 1 { print substr($0, length(k) + 2); exit }'; }
no_message_box() { ! wine "$VELTA_BUILD/tests/velta_driver.exe" message-box - "$1" </dev/null >/dev/null 2>&1; }
# end_session: the two messages as the system sends them; prints the answers and the milliseconds taken.
end_session() {
  local query ended start
  query=$(timeout 20 wine "$VELTA_BUILD/tests/velta_driver.exe" send Velta $WM_QUERYENDSESSION 0 0 </dev/null 2>/dev/null | tr -d '\r')
  start=$(date +%s%N)
  ended=$(timeout 20 wine "$VELTA_BUILD/tests/velta_driver.exe" send Velta $WM_ENDSESSION 1 0 </dev/null 2>/dev/null | tr -d '\r')
  echo "$query $ended $(( ($(date +%s%N) - start) / 1000000 ))"
}

# ---- the settings, as at Exit ----
dir=$(sandbox end_session)
start_velta "$dir"
check "the clock window appears" driver wait Velta 60
sleep 1
driver command Velta $ID_TOPMOST  # stored only at the next save
sleep 0.3
read -r query ended ms <<<"$(end_session)"
expect_eq "WM_QUERYENDSESSION is answered yes" "$query" 1
expect_eq "WM_ENDSESSION is handled" "$ended" 0
check "the clock ends" velta_ended 10
option=$(ini_value "$dir/Velta.ini" Settings Option)
expect_eq "the settings were saved: Topmost off ($option)" "$(( (${option:-8} & 8) != 0 ))" 0

# A cancelled end (WM_ENDSESSION with FALSE) changes nothing.
start_velta "$dir"
driver wait Velta 60 >/dev/null
driver send Velta $WM_QUERYENDSESSION 0 0 >/dev/null
driver send Velta $WM_ENDSESSION 0 0 >/dev/null
sleep 1
check "a cancelled end leaves the clock running" driver wait Velta 1
driver key Velta $VK_ESCAPE
velta_ended 10

# ---- a started encoded item ----
# The launcher's helper as an encoded item of group 1: it runs until "release" appears beside it.
dir=$(sandbox end_session_encoded)
mkdir -p "$dir/docs"
cp "$VELTA_BUILD/tests/launcher_mark_helper.exe" "$dir/docs/secret.exe"
qzd=$(cd "$VELTA_BUILD" && wine ./velta-cli.exe encode "$(winpath "$dir/docs/secret.exe")" --name Secret --key k3y \
  --dir "$(winpath "$dir")" </dev/null 2>/dev/null | tr -d '\r')
check "an encoded file to start ($qzd)" [ -n "$qzd" ]
rm -f "$dir/docs/secret.exe"
printf '[Exec]\r\nNum=10\r\n\r\n[Exec_0]\r\nNum=1\r\n\r\n[Exec_0_0]\r\nPath=%s\r\nName=Secret\r\nPass=1\r\n' "$qzd" \
  >"$dir/Velta.ini"
encoded=$dir/$(basename "$(winepath -u "$qzd" 2>/dev/null | tr -d '\r')")

# run_secret: the item started from the launcher with its key; true once its program runs.
run_secret() {
  rm -f "$dir/docs/secret.exe.mark" "$dir/docs/release"
  start_velta "$dir"
  driver wait Velta 60 >/dev/null || return 1
  sleep 1
  driver command Velta $ID_LAUNCHER
  sleep 0.8
  local info l t r b h
  info=$(driver launcher Velta)
  read -r l t r b <<<"$(field "$info" row0)"
  h=$(field "$info" rowheight)
  xdotool mousemove $(( l + 30 )) $(( t + h / 2 )) click --repeat 2 --delay 80 1
  driver wait "Input an encoding key" 10 >/dev/null || return 1
  driver set-text "Input an encoding key" $IDC_ENCODING_KEY k3y
  driver press "Input an encoding key" $IDOK
  wait_file "$dir/docs/secret.exe.mark" 20 || return 1
  # The launcher hides once the start is over and the watcher of the program is in place.
  local i
  for i in $(seq 100); do
    [ "$(field "$(driver launcher Velta)" visible)" = 0 ] && return 0
    sleep 0.1
  done
  return 1
}

before=$(stat -c %y "$encoded")
check "the encoded item runs, restored" run_secret
check "its plain file is on disk while it runs" [ -e "$dir/docs/secret.exe" ]
(sleep 1.5; touch "$dir/docs/release") &  # the program ends a moment after the session's end begins
read -r query ended ms <<<"$(end_session)"
expect_eq "WM_QUERYENDSESSION is answered yes while Exit would refuse" "$query" 1
expect_eq "WM_ENDSESSION returns: no dialog held it ($ms ms)" "$ended" 0
check "the program's file was encoded again and the plain copy removed" [ ! -e "$dir/docs/secret.exe" ]
check "the encoded file was written again" [ "$(stat -c %y "$encoded")" != "$before" ]
if [ -x "$VELTA_ROOT/build/native/velta-cli" ]; then
  "$VELTA_ROOT/build/native/velta-cli" decode "$encoded" --key k3y --to "$dir/check.exe" >/dev/null
  check "and it still decodes to the program" cmp -s "$dir/check.exe" "$VELTA_BUILD/tests/launcher_mark_helper.exe"
fi
check "the clock ends" velta_ended 10

# A program that goes on through the end of the session: the clock waits a moment, then
# ends; the plain file stays for the program, the encoded file as it was.
before=$(stat -c %y "$encoded")
check "the encoded item runs again" run_secret
read -r query ended ms <<<"$(end_session)"
expect_eq "WM_ENDSESSION returns" "$ended" 0
check "after a bounded wait for the program ($ms ms)" [ "$ms" -ge 2500 -a "$ms" -lt 10000 ]
check "the clock ends" velta_ended 10
check "the running program's plain file is left" [ -e "$dir/docs/secret.exe" ]
expect_eq "and its encoded file is untouched" "$(stat -c %y "$encoded")" "$before"
touch "$dir/docs/release"
