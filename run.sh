#!/usr/bin/env bash
# Builds VELTA and starts the clock under Wine. Without a display it starts a
# private Xvfb, runs the clock for a few seconds and saves a screenshot.
set -eu
cd "$(dirname "$0")"
export VELTA_ROOT=$PWD
source tools/deps.sh
source tools/wine_env.sh
source tools/xvfb.sh

velta_install_deps
cmake -S . -B build/win -G Ninja -DCMAKE_BUILD_TYPE=Release -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-w64-x86_64.cmake >/dev/null
cmake --build build/win --target Velta -j "$(nproc)" >/dev/null
velta_wine_prefix

if [ -n "${DISPLAY:-}" ] && xdpyinfo >/dev/null 2>&1; then
  echo "Starting build/win/Velta.exe on $DISPLAY (right-click the clock for its menu, Esc to end it)"
  exec wine build/win/Velta.exe
fi

velta_xvfb_start
trap 'velta_wine_stop; velta_xvfb_stop' EXIT
velta_wine_start
(cd build/win && exec wine ./Velta.exe </dev/null >/dev/null 2>&1) &
sleep "${VELTA_RUN_SECONDS:-6}"
import -window root -crop 640x360+0+0 build/screenshot.png
echo "No display: ran the clock under Xvfb; screenshot: $PWD/build/screenshot.png"
