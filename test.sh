#!/usr/bin/env bash
# Builds everything and runs every test: the portable core natively (plain and
# with AddressSanitizer/UndefinedBehaviorSanitizer) and under Wine, the Windows
# tests and the end-to-end scripts under Wine in Xvfb, the Windows packages among them.
# Ends with one line "N passed, N failed"; exits non-zero on any failure.
set -u
cd "$(dirname "$0")"
export VELTA_ROOT=$PWD
source tools/deps.sh
source tools/wine_env.sh
source tools/xvfb.sh

velta_install_deps || exit 1

JOBS=$(nproc)
LOGS=$PWD/build/logs
mkdir -p "$LOGS"
PASSED=0
FAILED=0
FAILURES=()

step() { printf '\n== %s\n' "$*"; }

build() {  # build DIR [cmake args...]
  local dir=$1; shift
  if ! cmake -S . -B "$dir" -G Ninja "$@" >"$LOGS/$(basename "$dir")-configure.log" 2>&1 ||
     ! ${NICE:-} cmake --build "$dir" -j "$JOBS" >"$LOGS/$(basename "$dir")-build.log" 2>&1; then
    echo "build of $dir failed; see $LOGS/$(basename "$dir")-*.log"
    tail -n 30 "$LOGS/$(basename "$dir")-build.log" 2>/dev/null
    FAILED=$((FAILED + 1)); FAILURES+=("build $dir")
    return 1
  fi
  echo "built $dir"
}

# Runs a GoogleTest binary into its log, its status beside it.
gtest_run() {  # gtest_run LABEL DIR COMMAND...  (runs COMMAND inside DIR)
  local label=$1 dir=$2; shift 2
  (cd "$dir" && "$@" --gtest_color=no) >"$LOGS/$label.log" 2>&1
  echo $? >"$LOGS/$label.rc"
}

# Adds up a GoogleTest log; a crash counts as one failure.
gtest_tally() {  # gtest_tally LABEL
  local label=$1
  local log="$LOGS/$label.log"
  local rc pass fail
  rc=$(cat "$LOGS/$label.rc" 2>/dev/null || echo 1)
  pass=$(sed -n 's/^\[  PASSED  \] \([0-9]*\) tests\{0,1\}\..*/\1/p' "$log" 2>/dev/null | tail -n 1)
  fail=$(sed -n 's/^\[  FAILED  \] \([0-9]*\) tests\{0,1\}, listed below:.*/\1/p' "$log" 2>/dev/null | tail -n 1)
  pass=${pass:-0}; fail=${fail:-0}
  if [ "$rc" -ne 0 ] && [ "$fail" -eq 0 ]; then fail=1; fi
  PASSED=$((PASSED + pass)); FAILED=$((FAILED + fail))
  echo "$label: $pass passed, $fail failed"
  if [ "$fail" -ne 0 ]; then
    FAILURES+=("$label")
    grep -E '^\[  FAILED  \]|Failure|error' "$log" | head -n 20
  fi
}

gtest() {  # gtest LABEL DIR COMMAND...
  gtest_run "$@"
  gtest_tally "$1"
}

# Runs an end-to-end script into its log; it prints "ok - ..." and "not ok - ..." lines. Its
# status and time go beside the log (the time orders the next run's queue, longest first).
e2e_run() {  # e2e_run SCRIPT
  local name start
  name=$(basename "$1" .sh)
  start=$(date +%s)
  timeout 300 bash "$1" >"$LOGS/e2e-$name.log" 2>&1
  echo $? >"$LOGS/e2e-$name.rc"
  echo $(( $(date +%s) - start )) >"$LOGS/e2e-$name.seconds"
}

# One lane of end-to-end scripts: its own display and Wine prefix (with its own wineserver,
# registry and %APPDATA%), taking scripts from the shared queue until it is empty.
e2e_lane() {  # e2e_lane DISPLAY PREFIX QUEUE
  export DISPLAY=$1 WINEPREFIX=$2 VELTA_BASE_PREFIX=$2
  velta_wine_prefix_ja >/dev/null
  velta_wine_start
  local script
  while script=$(flock "$3.lock" sh -c 'head -n 1 "$1"; sed -i 1d "$1"' _ "$3") && [ -n "$script" ]; do
    e2e_run "$script"
  done
  velta_wine_stop
}

# Adds up an end-to-end script's log.
e2e() {  # e2e SCRIPT
  local script=$1 name
  name=$(basename "$script" .sh)
  local log="$LOGS/e2e-$name.log"
  local rc
  rc=$(cat "$LOGS/e2e-$name.rc" 2>/dev/null || echo 1)
  local pass fail
  pass=$(grep -c '^ok - ' "$log" 2>/dev/null); pass=${pass:-0}
  fail=$(grep -c '^not ok - ' "$log" 2>/dev/null); fail=${fail:-0}
  if [ "$rc" -ne 0 ] && [ "$fail" -eq 0 ]; then fail=1; echo "not ok - $name ended with status $rc" >>"$log"; fi
  PASSED=$((PASSED + pass)); FAILED=$((FAILED + fail))
  echo "e2e $name: $pass passed, $fail failed"
  if [ "$fail" -ne 0 ]; then FAILURES+=("e2e $name"); grep '^not ok' "$log"; fi
}

# The end-to-end scripts mostly wait (for Wine, windows, servers), the builds compute: the
# scripts run while the native builds and their tests go on beside them, at a lower priority.
# The scripts need the Windows build and the native velta-cli, which are made first.
step "native velta-cli for the end-to-end scripts"
native_cli=ok
if ! cmake -S . -B build/native -G Ninja -DCMAKE_BUILD_TYPE=Release -DVELTA_BENCH=OFF >"$LOGS/native-configure.log" 2>&1 ||
   ! cmake --build build/native -j "$JOBS" --target velta-cli >"$LOGS/native-cli-build.log" 2>&1; then
  echo "build of build/native/velta-cli failed; see $LOGS/native-*.log"
  FAILED=$((FAILED + 1)); FAILURES+=("build build/native velta-cli"); native_cli=
fi

step "cross build for Windows"
lanes=()
xvfb_pids=()
if [ -n "$native_cli" ] && build build/win -DCMAKE_BUILD_TYPE=Release -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-w64-x86_64.cmake; then
  velta_wine_prefix
  velta_wine_prefix_ja >/dev/null

  # The Windows tests run beside the end-to-end scripts, in a display and Wine prefix of their own;
  # they run from the build folder so that the files they write stay there.
  step "Windows tests under Wine: started"
  rm -f "$LOGS/core-wine.rc" "$LOGS/win-wine.rc"
  velta_wine_prefix_copy "$VELTA_ROOT/build/wineprefix-tests"
  velta_xvfb_start
  xvfb_pids+=("$VELTA_XVFB_PID")
  (
    export WINEPREFIX=$VELTA_ROOT/build/wineprefix-tests VELTA_BASE_PREFIX=$VELTA_ROOT/build/wineprefix-tests
    velta_wine_start
    gtest_run core-wine build/win/tests nice -n 5 wine ./velta_core_tests.exe
    gtest_run win-wine build/win/tests nice -n 5 wine ./velta_win_tests.exe
    velta_wine_stop
  ) &
  wine_tests=$!

  # Scripts share nothing but the built files, so VELTA_E2E_JOBS lanes (default 2) run them
  # side by side, each in its own Xvfb display and Wine prefix, the longest first; the counts
  # are added up at the end, in the scripts' order.
  step "end-to-end under Wine and Xvfb: started"
  scripts=()
  for script in tests/e2e/*.sh; do
    [ "$(basename "$script")" = lib.sh ] && continue
    scripts+=("$script")
  done
  queue=$LOGS/e2e-queue
  for script in "${scripts[@]}"; do
    name=$(basename "$script" .sh)
    seconds=$(cat "$LOGS/e2e-$name.seconds" 2>/dev/null || sed -n "s/^$name //p" tests/e2e/seconds.txt)
    echo "${seconds:-9999} $script"
    rm -f "$LOGS/e2e-$name.rc"
  done | sort -rn | cut -d' ' -f2- >"$queue"
  for lane in $(seq "${VELTA_E2E_JOBS:-2}"); do
    prefix=$VELTA_ROOT/build/wineprefix
    [ "$lane" -gt 1 ] && { prefix=$VELTA_ROOT/build/wineprefix-lane$lane; velta_wine_prefix_copy "$prefix"; }
    velta_xvfb_start  # one after another: each takes a display no other has
    xvfb_pids+=("$VELTA_XVFB_PID")
    (e2e_lane "$DISPLAY" "$prefix" "$queue") &
    lanes+=($!)
  done
fi
[ ${#lanes[@]} -gt 0 ] && NICE="nice -n 10"

step "native build"
build build/native -DCMAKE_BUILD_TYPE=Release -DVELTA_BENCH=OFF && {  # no test runs the benchmarks
  gtest core-native build/native/tests ${NICE:-} ./velta_core_tests
}

step "native build with AddressSanitizer and UndefinedBehaviorSanitizer"
build build/asan -DCMAKE_BUILD_TYPE=Debug -DCMAKE_C_COMPILER=clang -DCMAKE_CXX_COMPILER=clang++ \
      -DVELTA_SANITIZE=ON -DVELTA_FUZZ=ON -DVELTA_BENCH=OFF && {
  ASAN_OPTIONS=detect_leaks=1 UBSAN_OPTIONS=print_stacktrace=1 gtest core-asan build/asan/tests ${NICE:-} ./velta_core_tests
  # Replay the fuzz corpora: every stored input must run clean.
  for target in build/asan/fuzz/fuzz_*; do
    [ -x "$target" ] || continue
    name=$(basename "$target")
    corpus=fuzz/corpus/${name#fuzz_}
    if [ -d "$corpus" ] && ${NICE:-} "$target" -runs=0 "$corpus" >"$LOGS/$name.log" 2>&1; then
      PASSED=$((PASSED + 1)); echo "$name corpus: clean"
    else
      FAILED=$((FAILED + 1)); FAILURES+=("$name corpus"); echo "$name corpus: FAILED (see $LOGS/$name.log)"
    fi
  done
}

if [ -n "${wine_tests:-}" ]; then
  step "Windows tests under Wine"
  wait "$wine_tests"
  gtest_tally core-wine
  gtest_tally win-wine
fi

if [ ${#lanes[@]} -gt 0 ]; then
  step "end-to-end under Wine and Xvfb"
  wait "${lanes[@]}"
  kill "${xvfb_pids[@]}" 2>/dev/null
  for script in "${scripts[@]}"; do e2e "$script"; done
fi

echo
if [ ${#FAILURES[@]} -gt 0 ]; then echo "failed: ${FAILURES[*]}"; fi
echo "$PASSED passed, $FAILED failed"
[ "$FAILED" -eq 0 ] && [ "$PASSED" -gt 0 ]
