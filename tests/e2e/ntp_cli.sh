#!/usr/bin/env bash
# velta-cli ntp against chronyd on 127.0.0.1 (clock control off), natively on
# BSD sockets and under Wine on Windows Sockets; and its refusals.
source "$(dirname "$0")/lib.sh"
work=$(mktemp -d /tmp/velta-ntp-cli.XXXXXX)
cleanup() {
  kill $(jobs -p) 2>/dev/null
  wait 2>/dev/null
  rm -rf "$work"
}
trap cleanup EXIT

port=$(python3 -c 'import socket; s=socket.socket(socket.AF_INET, socket.SOCK_DGRAM); s.bind(("127.0.0.1", 0)); print(s.getsockname()[1])')
cat >"$work/chrony.conf" <<CONF
port $port
bindaddress 127.0.0.1
allow 127.0.0.1
local stratum 8
acquisitionport 0
cmdport 0
bindcmdaddress /
pidfile $work/chronyd.pid
driftfile $work/drift
CONF
# -x: never touch the clock; the time limit ends it whatever happens here.
timeout 60 chronyd -x -d -u "$(id -un)" -f "$work/chrony.conf" -l "$work/chronyd.log" &

sleep 1

native=$VELTA_ROOT/build/native/velta-cli
wincli=$VELTA_BUILD/velta-cli.exe

# close_to_now "YYYY-MM-DD HH:MM:SS": within 3 seconds of the UTC time now.
close_to_now() {
  local t
  t=$(date -u -d "$1" +%s 2>/dev/null) || return 1
  [ $(( t - $(date -u +%s) )) -ge -3 ] && [ $(( t - $(date -u +%s) )) -le 3 ]
}

for side in native wine; do
  if [ $side = native ]; then run=("$native"); else run=(wine "$wincli"); fi
  "${run[@]}" ntp 127.0.0.1 --port "$port" --timeout 3000 --retry 2 </dev/null >"$work/out" 2>&1
  expect_eq "$side: chronyd answers (exit status)" "$?" 0
  out=$(tr -d '\r' <"$work/out")
  utc=$(echo "$out" | sed -n 's/ UTC$//p')
  check "$side: prints the server time in UTC ($utc)" close_to_now "$utc"
  check "$side: and in local time" bash -c "echo '$out' | grep -Eq '^[0-9]{4}-[0-9]{2}-[0-9]{2} [0-9]{2}:[0-9]{2}:[0-9]{2} local$'"

  python3 "$(dirname "$0")/fake_ntp_server.py" silent 20 >"$work/silent-$side.port" &
  for _ in $(seq 50); do [ -s "$work/silent-$side.port" ] && break; sleep 0.1; done
  "${run[@]}" ntp 127.0.0.1 --port "$(cat "$work/silent-$side.port")" --timeout 300 --retry 2 </dev/null \
    >/dev/null 2>"$work/err"
  expect_eq "$side: a silent server: exit status 1" "$?" 1
  err=$(tr -d '\r' <"$work/err")
  expect_eq "$side: one line of error" "$(echo "$err" | wc -l)" 1
  echo "# $err"
  "${run[@]}" ntp 127.0.0.1 --timeout soon </dev/null >/dev/null 2>&1
  expect_eq "$side: a bad --timeout is a usage error" "$?" 2
  "${run[@]}" ntp </dev/null >/dev/null 2>&1
  expect_eq "$side: no host is a usage error" "$?" 2
  "${run[@]}" ntp 127.0.0.1 --port "$port" --retry 0 </dev/null >/dev/null 2>&1
  expect_eq "$side: --retry 0 makes no attempt and fails" "$?" 1
done
