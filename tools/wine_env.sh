# Sourced by run.sh, test.sh and the end-to-end scripts: a Wine prefix of the
# project's own under build/, set up once, with no prompts and no sound driver.
VELTA_ROOT=${VELTA_ROOT:-$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)}
export WINEPREFIX=${WINEPREFIX:-$VELTA_ROOT/build/wineprefix}
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
    touch "$WINEPREFIX/.velta-ready"
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
