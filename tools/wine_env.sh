# Sourced by run.sh, test.sh and the end-to-end scripts: a Wine prefix of the
# project's own under build/, set up once, with no prompts and no sound driver.
VELTA_ROOT=${VELTA_ROOT:-$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)}
export WINEPREFIX=${WINEPREFIX:-$VELTA_ROOT/build/wineprefix}
# The prefix the Japanese and other-DPI copies are made from and named after ("-ja", "-144"):
# each lane of end-to-end scripts run side by side has its own.
export VELTA_BASE_PREFIX=${VELTA_BASE_PREFIX:-$WINEPREFIX}
export WINEARCH=win64
export WINEDEBUG=${WINEDEBUG:--all}
export WINEDLLOVERRIDES="mscoree,mshtml=;winealsa.drv,winepulse.drv=d"

velta_wine_prefix() {
  if [ ! -f "$WINEPREFIX/.velta-ready" ]; then
    rm -rf "$WINEPREFIX"
    mkdir -p "$(dirname "$WINEPREFIX")"
    wineboot -i </dev/null >/dev/null 2>&1
    wineserver -w
    # No window manager under Xvfb: let Wine draw and place the windows itself.
    wine reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /d N /f </dev/null >/dev/null 2>&1
    wine reg add 'HKCU\Software\Wine\X11 Driver' /v Decorated /d N /f </dev/null >/dev/null 2>&1
    wineserver -w
    # Debian's Wine does not load its own fonts unless they sit in the prefix.
    mkdir -p "$WINEPREFIX/drive_c/windows/Fonts"
    cp /usr/share/wine/fonts/*.ttf "$WINEPREFIX/drive_c/windows/Fonts/" 2>/dev/null || true
    # Japanese text: the IPA Gothic fonts, linked behind the system's UI fonts as
    # on a Japanese Windows, so captions and the clock's icon-title font show kana and kanji.
    cp /usr/share/fonts/opentype/ipafont-gothic/ipag*.ttf "$WINEPREFIX/drive_c/windows/Fonts/" 2>/dev/null || true
    local face
    for face in Tahoma "Tahoma Bold" "MS Sans Serif" "Microsoft Sans Serif" "MS Shell Dlg" "MS UI Gothic" "Segoe UI"; do
      wine reg add 'HKLM\Software\Microsoft\Windows NT\CurrentVersion\FontLink\SystemLink' /v "$face" \
        /t REG_MULTI_SZ /d 'ipagp.ttf,IPAPGothic\0ipag.ttf,IPAGothic' /f </dev/null >/dev/null 2>&1
    done
    wineserver -w
    touch "$WINEPREFIX/.velta-ready"
  fi
}

# A second prefix that looks like a Japanese Windows: the system's UI fonts (the
# icon-title font is the clock's default) are a Japanese UI font in the Shift-JIS character set.
# Use it with LANG=ja_JP.UTF-8; Wine's own default would draw Japanese names as Latin-1.
velta_wine_prefix_ja() {
  WINEPREFIX=$VELTA_BASE_PREFIX velta_wine_prefix
  local ja=$VELTA_BASE_PREFIX-ja
  if [ ! -f "$ja/.velta-ready" ]; then
    rm -rf "$ja"
    cp -a "$VELTA_BASE_PREFIX" "$ja"
    rm -f "$ja/.velta-ready"
    local metric
    for metric in IconFont MenuFont CaptionFont SmCaptionFont StatusFont MessageFont; do
      WINEPREFIX=$ja wine reg add 'HKCU\Control Panel\Desktop\WindowMetrics' /v $metric /t REG_BINARY /d \
        f4ffffff0000000000000000000000009001000000000080000000004d005300200055004900200047006f00740068006900630000000000000000000000000000000000000000000000000000000000000000000000000000000000 /f </dev/null >/dev/null 2>&1
    done
    WINEPREFIX=$ja wineserver -w
    touch "$ja/.velta-ready"
  fi
  echo "$ja"
}

# A copy of the prefix whose screen has another DPI ("LogPixels": 96 is 100 %, 144 is 150 %).
# Wine reports that DPI to every program and stretches nothing; it has one DPI for all monitors.
velta_wine_prefix_dpi() {  # velta_wine_prefix_dpi DPI -> prints the prefix
  WINEPREFIX=$VELTA_BASE_PREFIX velta_wine_prefix
  local dpi=$1
  local copy=$VELTA_BASE_PREFIX-$dpi
  if [ ! -f "$copy/.velta-ready" ]; then
    rm -rf "$copy"
    cp -a "$VELTA_BASE_PREFIX" "$copy"
    rm -f "$copy/.velta-ready"
    WINEPREFIX=$copy wine reg add 'HKCU\Control Panel\Desktop' /v LogPixels /t REG_DWORD /d "$dpi" /f \
      </dev/null >/dev/null 2>&1
    WINEPREFIX=$copy wineserver -w
    touch "$copy/.velta-ready"
  fi
  echo "$copy"
}

# A ready copy of the project's prefix at DEST (a second lane of end-to-end scripts): a copy
# takes a second or two where a new prefix takes many.
velta_wine_prefix_copy() {  # velta_wine_prefix_copy DEST
  WINEPREFIX=$VELTA_ROOT/build/wineprefix VELTA_BASE_PREFIX=$VELTA_ROOT/build/wineprefix velta_wine_prefix
  if [ ! -f "$1/.velta-ready" ]; then
    rm -rf "$1"
    cp -a "$VELTA_ROOT/build/wineprefix" "$1"
  fi
}

# Wine's background processes inherit every pipe of the command that starts
# them; start them detached so test runners are not held open.
velta_wine_start() {
  wineserver -p0 </dev/null >/dev/null 2>&1
  wine wineboot </dev/null >/dev/null 2>&1
}

velta_wine_stop() {
  wineserver -k </dev/null >/dev/null 2>&1 || true
}
