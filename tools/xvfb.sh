# Sourced: starts a private Xvfb for the session and stops it on exit.
velta_xvfb_start() {
  local n
  for n in $(seq 90 140); do
    [ -e "/tmp/.X11-unix/X$n" ] || [ -e "/tmp/.X$n-lock" ] && continue
    Xvfb ":$n" -screen 0 1024x768x24 -nolisten tcp >/dev/null 2>&1 &
    VELTA_XVFB_PID=$!
    export DISPLAY=":$n"
    local i
    for i in $(seq 50); do
      xdpyinfo >/dev/null 2>&1 && break
      sleep 0.1
    done
    # A colour behind the windows, so see-through areas can be told from a black face.
    convert -size 1024x768 xc:'#336699' "${TMPDIR:-/tmp}/velta-root-$n.png" 2>/dev/null &&
      display -window root "${TMPDIR:-/tmp}/velta-root-$n.png" >/dev/null 2>&1 &
    sleep 0.5
    return 0
  done
  echo "no free X display" >&2
  return 1
}

velta_xvfb_stop() {
  [ -n "${VELTA_XVFB_PID:-}" ] && kill "$VELTA_XVFB_PID" 2>/dev/null
  VELTA_XVFB_PID=
}
