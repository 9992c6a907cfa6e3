#!/usr/bin/env bash
# Time adjustment in the running clock: the settings dialog (both languages),
# "Execute Time Adjustment" against time servers on 127.0.0.1 and the message
# boxes that report it, owned by the clock. Under Wine SetSystemTime accepts only
# changes under half a second and refuses larger ones for want of rights (error
# 1314, as Windows refuses a standard user), so the host's clock is never moved
# and the question about administrator rights can be driven: its "Yes" runs the
# clock's own file with "adjust" through the "runas" verb, which Wine starts
# without a prompt. A correction of more than an hour is asked about first.
source "$(dirname "$0")/lib.sh"
SERVER_PIDS=()
cleanup() {
  stop_velta
  local p
  for p in "${SERVER_PIDS[@]}"; do kill "$p" 2>/dev/null; done
}
trap cleanup EXIT

# start_server MODE [OPTIONS...] -> sets PORT; the server ends by itself after ten minutes (the
# script can take more than two when other scripts run beside it); cleanup ends it before.
start_server() {
  local fifo
  fifo=$(mktemp -u)
  mkfifo "$fifo"
  python3 "$(dirname "$0")/fake_ntp_server.py" "$1" 600 "${@:2}" >"$fifo" &
  SERVER_PIDS+=($!)
  read -r PORT <"$fifo"
  rm -f "$fifo"
}

# configure PORT TIMEOUT RETRY MESSAGE(0|1): through the "Time adjustment..." dialog.
configure() {
  driver command Velta $ID_TIME_ADJUST
  driver dialog-title Velta 10 >/dev/null
  driver dialog-set Velta $IDC_ADJUST_SERVER 127.0.0.1
  driver dialog-set Velta $IDC_ADJUST_PORT "$1"
  driver dialog-set Velta $IDC_ADJUST_TIMEOUT "$2"
  driver dialog-set Velta $IDC_ADJUST_RETRY "$3"
  driver dialog-check Velta $IDC_ADJUST_MESSAGE "$4"
  driver dialog-click Velta $IDOK
  sleep 0.5
}

field() { sed -n "s/^$1 //p"; }
# The value of KEY in SECTION of an INI file.
ini_value() { tr -d '\r' <"$1" | awk -v s="[$2]" -v k="$3" '$0 == s { on = 1; next } /^\[/ { on = 0 } on && index($0, k "=") == 1 { print substr($0, length(k) + 2); exit }'; }

# Servers whose clocks are a little ahead and behind: the adjustment moves the
# clock by less than half a second, which Wine allows.
start_server true --shift 0.3; AHEAD_PORT=$PORT
start_server true --shift -0.3; BEHIND_PORT=$PORT
# Half an hour off: more than Wine lets anyone set, less than needs a question.
start_server true --shift 1800; HOUR_PORT=$PORT
start_server true --shift 1800 --hold 2; HELD_HOUR_PORT=$PORT  # slow enough to catch the elevated run
start_server true --shift 3660; STEP_PORT=$PORT  # an hour and a minute: asked about
start_server true --shift 3660 --hold 1.5; HELD_STEP_PORT=$PORT  # the same, slow enough to catch the elevated run
start_server true --shift -266400; STEP_AHEAD_PORT=$PORT  # three days two hours ahead
start_server true --shift 0.2 --late 0.8,0,0.6,0.7; LATE_PORT=$PORT
start_server silent; SILENT_PORT=$PORT

# The clock with velta-cli beside it, as the packages put them.
sandbox_with_cli() {
  local d
  d=$(sandbox "$1")
  cp "$VELTA_BUILD/velta-cli.exe" "$d/"
  echo "$d"
}

# velta-cli adjust on its own: the exchange and the setting of the clock, with its exit status.
cli() {
  local out rc
  out=$(cd "$VELTA_BUILD" && wine ./velta-cli.exe "$@" </dev/null 2>&1)
  rc=$?
  printf '%s\n' "${out//$'\r'/}"
  return $rc
}
out=$(cli adjust --server 127.0.0.1 --port "$AHEAD_PORT" --timeout 2000 --retry 1); rc=$?
expect_eq "velta-cli adjust sets the clock from a server 0.3 s ahead" "$rc" 0
out=$(cli adjust --server 127.0.0.1 --port "$HOUR_PORT" --timeout 2000 --retry 1; echo "rc=$?")
check "half an hour off is refused for want of rights ($(echo "$out" | head -n 1))" grep -q 'administrator rights' <<<"$out"
expect_eq "with exit status 1" "$(echo "$out" | sed -n 's/^rc=//p')" 1
# More than an hour: refused with the correction named unless --allow-step; with it the
# clock would be set (Wine refuses it for want of rights, which shows it got that far).
out=$(cli adjust --server 127.0.0.1 --port "$STEP_PORT" --timeout 2000 --retry 1; echo "rc=$?")
check "an hour and a minute off needs --allow-step ($(echo "$out" | head -n 1))" \
  grep -q 'this clock is 1 hour 1 minute behind; a correction of more than an hour is made only with --allow-step. The clock was not set.' <<<"$out"
expect_eq "with exit status 1" "$(echo "$out" | sed -n 's/^rc=//p')" 1
out=$(cli adjust --server 127.0.0.1 --port "$STEP_AHEAD_PORT" --timeout 2000 --retry 1; echo "rc=$?")
check "three days two hours ahead is named so ($(echo "$out" | head -n 1))" grep -q 'this clock is 3 days 2 hours ahead' <<<"$out"
out=$(cli adjust --server 127.0.0.1 --port "$STEP_PORT" --timeout 2000 --retry 1 --allow-step; echo "rc=$?")
check "--allow-step lets it through to the setting ($(echo "$out" | head -n 1))" grep -q 'administrator rights' <<<"$out"
# Four samples by default, and the prompt one counts: 0.2 s ahead, not bent by a late answer.
out=$(cli adjust --server 127.0.0.1 --port "$LATE_PORT" --timeout 2000 --retry 1); rc=$?
expect_eq "four samples, one prompt: set ($out)" "$rc" 0
check "from the prompt sample's offset ($out)" grep -q 'offset +0\.[12]' <<<"$out"
out=$(cli adjust --server 127.0.0.1 --port "$SILENT_PORT" --timeout 500 --retry 1; echo "rc=$?")
expect_eq "a silent server fails with exit status 1" "$(echo "$out" | sed -n 's/^rc=//p')" 1
out=$(cli adjust --server 127.0.0.1 --timeout -5; echo "rc=$?")
expect_eq "a negative time-out is a usage error" "$(echo "$out" | sed -n 's/^rc=//p')" 2
out=$(cli adjust 127.0.0.1; echo "rc=$?")
expect_eq "so is a host without --server" "$(echo "$out" | sed -n 's/^rc=//p')" 2

dir=$(sandbox_with_cli time_adjust)
start_velta "$dir"
check "the clock window appears" driver wait Velta 60
sleep 1

driver command Velta $ID_TIME_ADJUST
expect_eq "\"Time adjustment...\" opens dialog 147" "$(driver dialog-title Velta 10)" "Time adjustment"
sleep 0.5
shot "$SHOTS/time_adjust_dialog.png"
driver close-dialog Velta
sleep 0.5

# A server 0.3 s ahead and OptAdjustMessage set: message 124, captioned with the application's name.
configure "$AHEAD_PORT" 2000 1 1
ini=$dir/Velta.ini
expect_eq "OK saved the server" "$(ini_value "$ini" Adjust Server)" 127.0.0.1
expect_eq "OK saved the port" "$(ini_value "$ini" Adjust Port)" "$AHEAD_PORT"
expect_eq "OK saved the time-out" "$(ini_value "$ini" Adjust TimeOut)" 2000
expect_eq "OK saved the attempts" "$(ini_value "$ini" Adjust Retry)" 1
option=$(ini_value "$ini" Settings Option)
expect_eq "OK saved OptAdjustMessage set and OptAdjustAtStart clear ($option)" \
  "$(( (${option:-0} & 0x200000) != 0 )) $(( (${option:-0} & 0x100000) != 0 ))" "1 0"
driver command Velta $ID_EXECUTE_ADJUST
box=$(driver message-box - 15)
expect_eq "success shows message 124" "$(echo "$box" | field text)" "It succeeded in time adjustment. "
expect_eq "captioned with the application's name" "$(echo "$box" | field caption)" "Velta"
expect_eq "with an information icon" "$(echo "$box" | field icon)" 1
sleep 0.3
shot "$SHOTS/time_adjust_succeeded.png"
driver press-message-box - $IDOK
sleep 0.5

# With OptAdjustMessage clear a success says nothing.
configure "$AHEAD_PORT" 2000 1 0
driver command Velta $ID_EXECUTE_ADJUST
check "no message after a success with the message switched off" \
  bash -c "! wine '$VELTA_BUILD/tests/velta_driver.exe' message-box - 4 </dev/null >/dev/null 2>&1"

# A server an hour and a minute off: the clock asks, naming the correction; "No" sets nothing.
configure "$STEP_PORT" 2000 1 1
driver command Velta $ID_EXECUTE_ADJUST
box=$(driver message-box - 15)
expect_eq "more than an hour off asks first" "$(echo "$box" | field text)" \
  "The time server says this clock is 1 hour 1 minute behind. Set it?"
expect_eq "with Yes and No, owned by the clock" "$(echo "$box" | field buttons) $(echo "$box" | field owner)" "2 Velta"
shot "$SHOTS/time_adjust_step_question.png"
driver press-message-box - $IDNO
check "\"No\" sets nothing and says nothing more" \
  bash -c "! wine '$VELTA_BUILD/tests/velta_driver.exe' message-box - 3 </dev/null >/dev/null 2>&1"
# "Yes": asked again and set; Wine refuses it for want of rights, so the rights question follows.
configure "$HELD_STEP_PORT" 5000 1 1
driver command Velta $ID_EXECUTE_ADJUST
box=$(driver message-box - 15)
driver press-message-box - $IDYES
box=$(driver message-box - 15)
expect_eq "\"Yes\" goes on to set it" "$(echo "$box" | field text)" \
  "Setting the clock needs administrator rights. Set it as administrator now?"
driver press-message-box - $IDYES
line=$(driver process Velta.exe 30 " adjust ")
# That one correction, not any: the elevated run asks the server again.
expect_eq "the elevated run may make the correction the user said yes to, and only it" \
  "$(grep -o -- ' --a[a-z-]*-step.*' <<<"$line")" " --approved-step 3660"
box=$(driver message-box - 15)
expect_eq "its refusal ends in message 125" "$(echo "$box" | field text)" "It failed in time adjustment !"
driver press-message-box - $IDOK
sleep 0.5

# A server half an hour off: setting the clock is refused for want of rights. The clock asks
# first, in a message box of its own; "No" ends with message 125, owned by the clock too.
configure "$HOUR_PORT" 2000 1 1
driver command Velta $ID_EXECUTE_ADJUST
box=$(driver message-box - 15)
expect_eq "an hour off asks about administrator rights first" "$(echo "$box" | field text)" \
  "Setting the clock needs administrator rights. Set it as administrator now?"
expect_eq "captioned with the application's name" "$(echo "$box" | field caption)" "Velta"
expect_eq "with Yes and No" "$(echo "$box" | field buttons)" 2
expect_eq "owned by the clock" "$(echo "$box" | field owner)" "Velta"
shot "$SHOTS/time_adjust_needs_rights.png"
driver press-message-box - $IDNO
box=$(driver message-box - 15)
expect_eq "\"No\" ends with message 125" "$(echo "$box" | field text)" "It failed in time adjustment !"
check "with the system's default caption ($(echo "$box" | field caption))" \
  [ "$(echo "$box" | field caption)" != "Velta" ]
expect_eq "no icon" "$(echo "$box" | field icon)" 0
expect_eq "one button" "$(echo "$box" | field buttons)" 1
expect_eq "owned by the clock as well" "$(echo "$box" | field owner)" "Velta"
shot "$SHOTS/time_adjust_failed.png"
driver press-message-box - $IDOK
sleep 0.5

# "Yes": the whole adjustment again in the clock's own file with "adjust" (a program of
# the Windows subsystem: no console), with the settings of the dialog; it is refused the
# same way under Wine and its exit status ends in message 125.
configure "$HELD_HOUR_PORT" 5000 2 1
driver command Velta $ID_EXECUTE_ADJUST
box=$(driver message-box - 15)
expect_eq "the question again" "$(echo "$box" | field buttons) $(echo "$box" | field owner)" "2 Velta"
driver press-message-box - $IDYES
line=$(driver process Velta.exe 10 " adjust ")
check "\"Yes\" runs the clock's own Velta.exe from its folder ($line)" \
  grep -qi "time_adjust\\\\Velta.exe\"\\? adjust " <<<"$line"
expect_eq "with the dialog's settings" "${line#* adjust }" \
  "--server 127.0.0.1 --port $HELD_HOUR_PORT --timeout 5000 --retry 2 --samples 4"
check "and no velta-cli" bash -c "! wine '$VELTA_BUILD/tests/velta_driver.exe' process velta-cli.exe 0.2 </dev/null >/dev/null 2>&1"
box=$(driver message-box - 15)
expect_eq "its refusal ends in message 125" "$(echo "$box" | field text)" "It failed in time adjustment !"
expect_eq "owned by the clock" "$(echo "$box" | field owner)" "Velta"
check "and the elevated run has ended" \
  bash -c "! wine '$VELTA_BUILD/tests/velta_driver.exe' process Velta.exe 0.2 ' adjust ' </dev/null >/dev/null 2>&1"
driver press-message-box - $IDOK
sleep 0.5

# A program file that is no longer the clock's own (here: changed after the clock started)
# is never run as administrator; the clock says why.
# (a byte added at the end: the pages the running clock has mapped stay as they are)
printf 'X' >>"$dir/Velta.exe"
configure "$HOUR_PORT" 2000 1 1
driver command Velta $ID_EXECUTE_ADJUST
box=$(driver message-box - 15)
driver press-message-box - $IDYES
box=$(driver message-box - 15)
expect_eq "a changed program file is refused with its message" "$(echo "$box" | field text)" \
  "The clock was not set: its program file has changed since this clock started, so it was not run as administrator. Start the clock again."
check "and not run" bash -c "! wine '$VELTA_BUILD/tests/velta_driver.exe' process Velta.exe 0.5 ' adjust ' </dev/null >/dev/null 2>&1"
shot "$SHOTS/time_adjust_program_changed.png"
driver press-message-box - $IDOK
truncate -s -1 "$dir/Velta.exe"
driver press-message-box - $IDOK
sleep 0.5

# A silent server, one attempt of one second: message 125 after about a second.
configure "$SILENT_PORT" 1000 1 1
start=$(date +%s%N)
driver command Velta $ID_EXECUTE_ADJUST
box=$(driver message-box - 15)
ms=$(( ($(date +%s%N) - start) / 1000000 ))
expect_eq "a silent server shows message 125" "$(echo "$box" | field text)" "It failed in time adjustment !"
check "after one wait of the time-out ($ms ms)" [ "$ms" -ge 900 ]
driver press-message-box - $IDOK
sleep 0.3

# Two quick commands run two independent adjustments.
configure "$SILENT_PORT" 1000 1 1
driver command Velta $ID_EXECUTE_ADJUST
driver command Velta $ID_EXECUTE_ADJUST
# Each asks four times (one second each) before it gives up.
driver message-box - 10 >/dev/null
driver press-message-box - $IDOK; sleep 0.3
check "the second adjustment reports too" bash -c "wine '$VELTA_BUILD/tests/velta_driver.exe' message-box - 5 </dev/null >/dev/null 2>&1"
driver press-message-box - $IDOK; sleep 0.3

# Ending the clock while a worker waits for a silent server.
configure "$SILENT_PORT" 10000 10 1
driver command Velta $ID_EXECUTE_ADJUST
sleep 0.5
driver key Velta $VK_ESCAPE
check "Esc ends the clock while a worker waits" velta_ended 10
check "without a crash report" bash -c "! pgrep -f '[w]inedbg' >/dev/null"

# OptAdjustAtStart in the settings file: the clock adjusts at start-up.
dir=$(sandbox time_adjust_start)
printf '[Settings]\r\nOption=%d\r\n\r\n[Adjust]\r\nServer=127.0.0.1\r\nPort=%s\r\nTimeOut=2000\r\nRetry=1\r\n' \
  $(( 0x30008 | 0x100000 | 0x200000 )) "$BEHIND_PORT" >"$dir/Velta.ini"
start_velta "$dir"
check "the clock starts with OptAdjustAtStart" driver wait Velta 60
box=$(driver message-box - 15)
expect_eq "and shows message 124 without being asked" "$(echo "$box" | field text)" "It succeeded in time adjustment. "
driver press-message-box - $IDOK
sleep 0.3
driver key Velta $VK_ESCAPE
check "Esc ends it" velta_ended 10

# The same with a server that never answers: message 125 at start-up.
dir=$(sandbox time_adjust_start_silent)
printf '[Settings]\r\nOption=%d\r\n\r\n[Adjust]\r\nServer=127.0.0.1\r\nPort=%s\r\nTimeOut=500\r\nRetry=2\r\n' \
  $(( 0x30008 | 0x100000 )) "$SILENT_PORT" >"$dir/Velta.ini"
start_velta "$dir"
check "the clock starts with OptAdjustAtStart and a silent server" driver wait Velta 60
box=$(driver message-box - 15)
expect_eq "message 125 at start-up" "$(echo "$box" | field text)" "It failed in time adjustment !"
driver press-message-box - $IDOK
sleep 0.3
driver key Velta $VK_ESCAPE
check "Esc ends it" velta_ended 10

# Three days two hours ahead at start-up: the question about the correction, before anything is set.
dir=$(sandbox time_adjust_start_step)
printf '[Settings]\r\nOption=%d\r\n\r\n[Adjust]\r\nServer=127.0.0.1\r\nPort=%s\r\nTimeOut=2000\r\nRetry=1\r\n' \
  $(( 0x30008 | 0x100000 )) "$STEP_AHEAD_PORT" >"$dir/Velta.ini"
start_velta "$dir"
check "the clock starts with OptAdjustAtStart and a server three days off" driver wait Velta 60
box=$(driver message-box - 15)
expect_eq "the question at start-up" "$(echo "$box" | field text)" \
  "The time server says this clock is 3 days 2 hours ahead. Set it?"
driver press-message-box - $IDNO
check "\"No\" at start-up shows nothing more" \
  bash -c "! wine '$VELTA_BUILD/tests/velta_driver.exe' message-box - 3 </dev/null >/dev/null 2>&1"
driver key Velta $VK_ESCAPE
check "Esc ends it" velta_ended 10

# Half an hour off at start-up: no elevation without asking; the question once, and "No" ends it there.
dir=$(sandbox_with_cli time_adjust_start_rights)
printf '[Settings]\r\nOption=%d\r\n\r\n[Adjust]\r\nServer=127.0.0.1\r\nPort=%s\r\nTimeOut=2000\r\nRetry=1\r\n' \
  $(( 0x30008 | 0x100000 | 0x200000 )) "$HOUR_PORT" >"$dir/Velta.ini"
start_velta "$dir"
check "the clock starts with OptAdjustAtStart and a server half an hour off" driver wait Velta 60
box=$(driver message-box - 15)
expect_eq "the question about administrator rights at start-up" "$(echo "$box" | field text)" \
  "Setting the clock needs administrator rights. Set it as administrator now?"
check "and nothing runs elevated before it is answered" \
  bash -c "! wine '$VELTA_BUILD/tests/velta_driver.exe' process Velta.exe 0.2 ' adjust ' </dev/null >/dev/null 2>&1"
driver press-message-box - $IDNO
check "\"No\" at start-up shows nothing more" \
  bash -c "! wine '$VELTA_BUILD/tests/velta_driver.exe' message-box - 3 </dev/null >/dev/null 2>&1"
driver key Velta $VK_ESCAPE
check "Esc ends it" velta_ended 10

# The Japanese dialog.
dir=$(sandbox time_adjust_ja)
start_velta "$dir" LANG=ja_JP.UTF-8 LC_ALL=ja_JP.UTF-8
check "the clock starts under a Japanese locale" driver wait Velta 60
sleep 1
driver command Velta $ID_TIME_ADJUST
title=$(LANG=ja_JP.UTF-8 LC_ALL=ja_JP.UTF-8 driver dialog-title Velta 10)
expect_eq "the Japanese dialog 147" "$title" "時刻合わせ"
sleep 0.5
shot "$SHOTS/time_adjust_dialog_ja.png"
driver close-dialog Velta
sleep 0.3
configure "$HOUR_PORT" 2000 1 1
driver command Velta $ID_EXECUTE_ADJUST
box=$(LANG=ja_JP.UTF-8 LC_ALL=ja_JP.UTF-8 driver message-box - 15)
expect_eq "the Japanese question" "$(echo "$box" | field text)" \
  "時計を合わせるには管理者の権限が必要です。管理者として今すぐ合わせますか?"
shot "$SHOTS/time_adjust_needs_rights_ja.png"
driver press-message-box - $IDNO
box=$(LANG=ja_JP.UTF-8 LC_ALL=ja_JP.UTF-8 driver message-box - 15)
expect_eq "then the Japanese message 125" "$(echo "$box" | field text)" "時刻合わせに失敗しました !"
driver press-message-box - $IDOK
sleep 0.3
configure "$STEP_AHEAD_PORT" 2000 1 1
driver command Velta $ID_EXECUTE_ADJUST
box=$(LANG=ja_JP.UTF-8 LC_ALL=ja_JP.UTF-8 driver message-box - 15)
expect_eq "the Japanese question about the correction" "$(echo "$box" | field text)" \
  "時刻サーバーによると、この時計は 3日2時間 進んでいます。合わせますか?"
shot "$SHOTS/time_adjust_step_question_ja.png"
driver press-message-box - $IDNO
sleep 0.3
driver key Velta $VK_ESCAPE
check "Esc ends the Japanese clock" velta_ended 10
