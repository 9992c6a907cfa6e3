#!/usr/bin/env bash
# velta-cli ntp against chronyd and scripted servers on 127.0.0.1 (nothing
# here sets a clock), natively on BSD sockets and under Wine on Windows
# Sockets: the server's time, how far off this machine's clock is, and the
# refusals.
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
# -x: never touch the clock; the time limit ends it whatever happens here (cleanup ends it
# before; the limit leaves room for a busy machine, with other scripts running beside this one).
timeout 300 chronyd -x -d -u "$(id -un)" -f "$work/chrony.conf" -l "$work/chronyd.log" &

# serve NAME MODE [OPTIONS...] -> a scripted server that ends by itself; its port in $work/NAME.port
serve() {
  local name=$1; shift
  python3 "$(dirname "$0")/fake_ntp_server.py" "$@" >"$work/$name.port" &
  for _ in $(seq 50); do [ -s "$work/$name.port" ] && break; sleep 0.1; done
}

sleep 1

native=$VELTA_ROOT/build/native/velta-cli
wincli=$VELTA_BUILD/velta-cli.exe

# close_to_now "YYYY-MM-DD HH:MM:SS": within 3 seconds of the UTC time now.
close_to_now() {
  local t
  t=$(date -u -d "$1" +%s 2>/dev/null) || return 1
  [ $(( t - $(date -u +%s) )) -ge -3 ] && [ $(( t - $(date -u +%s) )) -le 3 ]
}
# field NAME: the value of the line "NAME VALUE [s]" of $out.
field() { echo "$out" | sed -n "s/^$1 \\([^ ]*\\)\\( s\\)\\{0,1\\}\$/\\1/p"; }
# within VALUE EXPECTED TOLERANCE
within() { awk -v v="$1" -v e="$2" -v t="$3" 'BEGIN { d = v - e; if (d < 0) d = -d; exit !(v != "" && d <= t) }'; }

# ask NAME PORT [OPTIONS...]: runs velta-cli ntp on the current side; output in $out, status in $rc.
ask() {
  local name=$1 p=$2; shift 2
  "${run[@]}" ntp 127.0.0.1 --port "$p" --timeout 3000 --retry 2 "$@" </dev/null >"$work/out-$name" 2>&1
  rc=$?
  out=$(tr -d '\r' <"$work/out-$name")
}

for side in native wine; do
  if [ $side = native ]; then run=("$native"); else run=(wine "$wincli"); fi

  # The best of three samples, as a user asking for accuracy would take.
  ask chronyd-$side "$port" --samples 3
  expect_eq "$side: chronyd answers (exit status)" "$rc" 0
  utc=$(echo "$out" | sed -n '1s/ UTC$//p')
  check "$side: the first line is the server time in UTC ($utc)" close_to_now "$utc"
  shape=$(echo "$out" | sed -E 's/^[0-9]{4}-[0-9]{2}-[0-9]{2} [0-9]{2}:[0-9]{2}:[0-9]{2} (UTC|local)$/TIME \1/;
    s/^offset [+-][0-9]+\.[0-9]{3} s$/OFFSET/; s/^delay [0-9]+\.[0-9]{3} s$/DELAY/; s/^stratum [0-9]+$/STRATUM/;
    s/^leap [0-3]$/LEAP/' | tr '\n' ' ')
  expect_eq "$side: then offset, delay, stratum, leap and the local time" "$shape" \
    "TIME UTC OFFSET DELAY STRATUM LEAP TIME local "
  check "$side: chronyd on this machine: offset $(field offset) s within 0.05 s of 0" within "$(field offset)" 0 0.05
  check "$side: chronyd's delay $(field delay) s below 0.05 s" within "$(field delay)" 0.025 0.025
  expect_eq "$side: chronyd's stratum" "$(field stratum)" 8
  expect_eq "$side: chronyd's leap indicator" "$(field leap)" 0
  echo "# $side against chronyd: offset $(field offset) s, delay $(field delay) s"

  serve shift-$side true 30 --shift 0.250
  ask shift-$side "$(cat "$work/shift-$side.port")"
  check "$side: a server 0.250 s ahead: offset $(field offset) s within 0.03 s" within "$(field offset)" 0.250 0.03

  serve hold-$side true 30 --shift 0.250 --hold 0.2
  ask hold-$side "$(cat "$work/hold-$side.port")" --samples 2
  check "$side: the same holding each request 200 ms: offset $(field offset) s within 0.03 s" \
    within "$(field offset)" 0.250 0.03
  # Below 0.1 s: the 0.2 s held is not in it, whatever a busy machine adds to the exchange itself.
  check "$side: and its holding time is no delay ($(field delay) s below 0.1 s)" within "$(field delay)" 0.05 0.05

  # Answers that come back late: 0.4 s, then at once, then 0.4 s again. One
  # late sample is bent by half its delay; of three the prompt one is taken.
  serve late1-$side true 30 --shift 0.250 --late 0.4,0,0.4
  ask late1-$side "$(cat "$work/late1-$side.port")"
  check "$side: one late answer: delay $(field delay) s" within "$(field delay)" 0.45 0.05
  check "$side: and an offset $(field offset) s bent by half of it" within "$(field offset)" 0.05 0.04
  serve late3-$side true 30 --shift 0.250 --late 0.4,0,0.4
  ask late3-$side "$(cat "$work/late3-$side.port")" --samples 3
  check "$side: --samples 3 reports the prompt answer: offset $(field offset) s" within "$(field offset)" 0.250 0.03
  check "$side: with its delay $(field delay) s" within "$(field delay)" 0.025 0.025

  # Answers a client must discard, each refused with its reason.
  n=0
  while IFS='|' read -r name options reason; do
    n=$((n + 1))
    # shellcheck disable=SC2086
    serve refuse-$side-$n true 20 $options
    ask refuse-$side-$n "$(cat "$work/refuse-$side-$n.port")"
    expect_eq "$side: $name is refused (exit status)" "$rc" 1
    check "$side: $name: told why ($out)" grep -qF "$reason" <<<"$out"
  done <<'CASES'
stratum 16|--stratum 16|stratum 16 or more
stratum 255|--stratum 255|stratum 16 or more
a root distance of 16 s|--root-dispersion 15 --root-delay 2|root distance 16 s or more
a negative root delay|--root-delay -0.5|negative root delay
a broadcast (mode 5)|--mode 5|wrong mode
transmit before receive|--transmit-early 0.5|transmit before receive
CASES

  serve silent-$side silent 20
  "${run[@]}" ntp 127.0.0.1 --port "$(cat "$work/silent-$side.port")" --timeout 300 --retry 2 </dev/null \
    >/dev/null 2>"$work/err"
  expect_eq "$side: a silent server: exit status 1" "$?" 1
  err=$(tr -d '\r' <"$work/err")
  expect_eq "$side: one line of error" "$(echo "$err" | wc -l)" 1
  echo "# $err"
  # No attempts, or no time to wait, can never succeed: bad usage, as is an option given twice.
  for bad in "--timeout soon" "--timeout 0" "--retry 0" "--retry -1" "--port 65536" "--port 123abc" "--port 0" \
    "--samples 0" "--samples 101" "--port 1 --port 2" "--timeout --retry 2"; do
    # shellcheck disable=SC2086
    "${run[@]}" ntp 127.0.0.1 $bad </dev/null >/dev/null 2>&1
    expect_eq "$side: $bad is a usage error" "$?" 2
  done
  # Numbers are plain decimal digits: as found, a space or a "+" in front was taken.
  for bad in "--timeout| 5" "--timeout|+5" "--timeout|5 " "--retry|+2" "--samples| 2"; do
    "${run[@]}" ntp 127.0.0.1 "${bad%%|*}" "${bad#*|}" </dev/null >/dev/null 2>"$work/err"
    expect_eq "$side: ${bad%%|*} '${bad#*|}' is a usage error" "$?" 2
    check "$side: and says why" grep -q "plain decimal digits" "$work/err"
  done
  "${run[@]}" ntp </dev/null >/dev/null 2>&1
  expect_eq "$side: no host is a usage error" "$?" 2
  msg=$("${run[@]}" ntp 127.0.0.1 --port "$port" --port "$port" </dev/null 2>&1 >/dev/null | tr -d '\r' | head -n 1)
  expect_eq "$side: an option given twice is told so" "$msg" "velta-cli ntp: --port given twice"
done

# The usage text names every option and word the README's velta-cli examples use.
usage=$(wine "$wincli" --help </dev/null 2>&1 | tr -d '\r')
documented=$(sed -n '/^## velta-cli$/,/^## /p' "$VELTA_ROOT/README.md" | sed -n '/^```sh$/,/^```$/p' |
  grep -oE -- '--[a-z-]+|\b(get-int|set-int|delete|sections|keys)\b' | sort -u)
for word in $documented --samples --dir --allow-step get-int set-int delete; do
  check "velta-cli --help names $word" grep -qF -- "$word" <<<"$usage"
done
