# Sourced by the end-to-end scripts: a fresh copy of the clock in its own
# folder, the driver, screenshots and pixel reads. Each check prints
# "ok - ..." or "not ok - ...".
VELTA_ROOT=${VELTA_ROOT:-$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)}
source "$VELTA_ROOT/tools/wine_env.sh"
VELTA_BUILD=$VELTA_ROOT/build/win
SHOTS=$VELTA_ROOT/build/e2e/shots
mkdir -p "$SHOTS"

# Command and control ids by name (ID_EXIT, IDC_QT_MINUTES, ...), read from the
# resource header the program is built with, and the few system values the scripts use.
eval "$(sed -nE 's/^#define[[:space:]]+(ID[A-Z0-9_]*)[[:space:]]+([0-9]+)[[:space:]]*$/\1=\2/p' "$VELTA_ROOT/res/resource.h")"
IDOK=1 IDCANCEL=2 IDYES=6 IDNO=7
VK_RETURN=0x0D VK_ESCAPE=0x1B
WM_QUERYENDSESSION=0x0011 WM_ENDSESSION=0x0016 WM_ACTIVATEAPP=0x001C WM_MOUSEMOVE=0x0200 WM_LBUTTONUP=0x0202 WM_RBUTTONUP=0x0205
TRAY_CALLBACK=0x0410  # the tray icon's message to the clock (WM_USER + 16)
WS_EX_TOPMOST=0x8
# The system's news for every top-level window, and their codes.
WM_SETTINGCHANGE=0x001A SPI_SETWORKAREA=0x002F SPI_SETBEEP=0x0002
WM_DISPLAYCHANGE=0x007E DISPLAY_1024x768=0x03000400 BITS_PER_PIXEL_32=32
WM_POWERBROADCAST=0x0218 PBT_APMSUSPEND=0x0004 PBT_APMRESUMEAUTOMATIC=0x0012
WM_WTSSESSION_CHANGE=0x02B1 WTS_SESSION_LOCK=0x7 WTS_SESSION_UNLOCK=0x8

ok() { echo "ok - $*"; }
not_ok() { echo "not ok - $*"; }
# check DESCRIPTION COMMAND...: ok when the command succeeds.
check() {
  local d=$1; shift
  if "$@"; then ok "$d"; else not_ok "$d"; fi
}
# expect_eq DESCRIPTION ACTUAL EXPECTED
expect_eq() {
  if [ "$2" = "$3" ]; then ok "$1"; else not_ok "$1: got '$2', expected '$3'"; fi
}

# Runs the driver; its output without CRs, and its exit status (checks rely on it).
driver() {
  local out rc
  out=$(wine "$VELTA_BUILD/tests/velta_driver.exe" "$@" </dev/null 2>/dev/null)
  rc=$?
  out=${out//$'\r'/}
  [ -n "$out" ] && printf '%s\n' "$out"
  return $rc
}

# Waits for a visible window (default: the clock), quietly.
wait_window() { driver wait "${1:-Velta}" "${2:-20}" >/dev/null; }

# True once PATH exists / is gone, checking every tenth of a second for up to SECONDS.
wait_file() {  # wait_file PATH SECONDS
  local i
  for i in $(seq $(( $2 * 10 ))); do [ -e "$1" ] && return 0; sleep 0.1; done
  return 1
}
wait_gone() {  # wait_gone PATH SECONDS
  local i
  for i in $(seq $(( $2 * 10 ))); do [ -e "$1" ] || return 0; sleep 0.1; done
  return 1
}

# A folder with its own Velta.exe, so that each script starts with no settings.
sandbox() {  # sandbox NAME -> prints the folder
  local dir=$VELTA_ROOT/build/e2e/$1
  rm -rf "$dir"
  mkdir -p "$dir"
  cp "$VELTA_BUILD/Velta.exe" "$dir/"
  echo "$dir"
}

VELTA_PID=
start_velta() {  # start_velta DIR [VAR=VALUE ...]
  local dir=$1; shift
  (cd "$dir" && exec env "$@" wine ./Velta.exe </dev/null >/dev/null 2>&1) &
  VELTA_PID=$!
}

# Waits for the process started by start_velta to end.
velta_ended() {  # velta_ended SECONDS
  local i
  for i in $(seq $(( $1 * 10 ))); do
    kill -0 "$VELTA_PID" 2>/dev/null || return 0
    sleep 0.1
  done
  return 1
}

stop_velta() {
  [ -n "$VELTA_PID" ] && kill "$VELTA_PID" 2>/dev/null
  VELTA_PID=
}

shot() { import -window root "$1" 2>/dev/null; }

# "#RRGGBB" of one pixel.
pixel() { convert "$1" -crop "1x1+$2+$3" -depth 8 txt:- 2>/dev/null | grep -o '#[0-9A-Fa-f]\{6\}' | head -n 1 | tr a-f A-F; }

# Bounding box "W H X Y" of the pixels in a region that differ from its top-left colour.
ink_box() {  # ink_box FILE W H X Y
  convert "$1" -crop "${2}x${3}+${4}+${5}" +repage -format '%@' info: 2>/dev/null |
    sed -E 's/^([0-9]+)x([0-9]+)\+(-?[0-9]+)\+(-?[0-9]+)$/\1 \2 \3 \4/'
}

# Number of pixels of a colour within a region.
count_colour() {  # count_colour FILE W H X Y COLOUR
  convert "$1" -crop "${2}x${3}+${4}+${5}" +repage -fill black +opaque "$6" -fill white -opaque "$6" \
    -format '%[fx:int(mean*w*h+0.5)]' info: 2>/dev/null
}

# Wine rewrites the font links for the code page of the first program that starts under a new
# one: a script that shows Japanese under another code page puts the prefix's links back first.
japanese_font_links() {
  local face
  for face in Tahoma "Tahoma Bold" "MS Sans Serif" "Microsoft Sans Serif" "MS Shell Dlg" "MS UI Gothic" "Segoe UI"; do
    wine reg add 'HKLM\Software\Microsoft\Windows NT\CurrentVersion\FontLink\SystemLink' /v "$face" \
      /t REG_MULTI_SZ /d 'ipagp.ttf,IPAPGothic\0ipag.ttf,IPAGothic' /f </dev/null >/dev/null 2>&1
  done
}

# For the settings-place scripts: appdata_dir is the settings fallback folder of this prefix,
# emptied now and when the script ends (with any folder `lock` made immutable unlocked again);
# value_of FILE KEY, wait_value FILE KEY EXPECTED and info_of FIELD read what the clock stored
# and shows.
settings_fallback_watch() {
  local appdata
  appdata=$(wine cmd /c echo %APPDATA% </dev/null 2>/dev/null | tr -d '\r')
  appdata_dir="$(winepath -u "$appdata" 2>/dev/null | tr -d '\r')/Orvex's Applications/Velta"
  locked=
  trap settings_fallback_cleanup EXIT
  rm -rf "$appdata_dir"
}
settings_fallback_cleanup() {
  stop_velta
  [ -n "$locked" ] && unlock "$locked"
  rm -rf "$appdata_dir"
  rmdir "$(dirname "$appdata_dir")" 2>/dev/null
}
# A folder that refuses new files even to root: immutable where that can be set.
lock() {
  if [ "$(id -u)" -ne 0 ]; then chmod a-w "$1"; else chattr +i "$1" 2>/dev/null; fi
  if touch "$1/.probe" 2>/dev/null; then rm -f "$1/.probe"; chmod u+w "$1"; return 1; fi
  locked=$1
}
unlock() { chattr -i "$1" 2>/dev/null; chmod u+w "$1"; locked=; }
value_of() { [ -f "$1" ] && tr -d '\r' <"$1" | sed -n "s/^$2=//p" | head -n 1; }
wait_value() {  # wait_value FILE KEY EXPECTED
  local i
  for i in $(seq 50); do [ "$(value_of "$1" "$2")" = "$3" ] && return 0; sleep 0.1; done
  return 1
}
info_of() { driver info Velta | sed -n "s/^$1 //p"; }

# ---- The launcher scripts' helpers ----
settings_key="HKCU\\Software\\Orvex's Applications\\Velta\\Settings"
exmode() {  # exmode VALUE|none
  if [ "$1" = none ]; then wine reg delete "$settings_key" /v ExMode /f </dev/null >/dev/null 2>&1
  else wine reg add "$settings_key" /v ExMode /t REG_DWORD /d "$1" /f </dev/null >/dev/null 2>&1; fi
}
# field TEXT NAME: the rest of TEXT's line that starts with "NAME " (the driver's answers).
field() { echo "$1" | sed -n "s/^$2 //p"; }
winpath() { winepath -w "$1" 2>/dev/null | tr -d '\r'; }
# velta-cli.exe under Wine: its output without CRs, and its exit status.
cli() { wine "$VELTA_BUILD/velta-cli.exe" "$@" </dev/null 2>/dev/null | tr -d '\r'; return "${PIPESTATUS[0]}"; }
# Clicks row N (0-based) of the launcher's list; "2" as a second argument double-clicks.
# The rows' place and height come from the list itself (they follow the font).
click_row() {  # click_row N [2]
  local info l t h
  info=$(driver launcher Velta)
  read -r l t _ _ <<<"$(field "$info" row0)"
  h=$(field "$info" rowheight)
  xdotool mousemove $(( l + 30 )) $(( t + h * $1 + h / 2 )) click --repeat "${2:-1}" --delay 80 1
  sleep 0.5
}
double_click_row() {  # double_click_row N: shows the launcher and double-clicks row N
  local info l t h
  driver command Velta $ID_LAUNCHER
  sleep 0.5
  info=$(driver launcher Velta)
  read -r l t _ _ <<<"$(field "$info" row0)"
  h=$(field "$info" rowheight)
  xdotool mousemove $(( l + 30 )) $(( t + h * $1 + h / 2 )) click --repeat 2 --delay 80 1
}
give_key() {  # give_key KEY: answers the key dialog
  driver wait "Input an encoding key" 10 >/dev/null || { not_ok "the key is asked for"; return; }
  driver set-text "Input an encoding key" $IDC_ENCODING_KEY "$1"
  driver press "Input an encoding key" $IDOK
}
run_row() { double_click_row "$1"; give_key "$2"; }  # run_row N KEY: runs row N with the key
