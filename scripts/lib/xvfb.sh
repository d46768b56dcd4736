# Starts a private Xvfb and a persistent wineserver for the calling script; both end with it.
# Sourced after env.sh. Sets DISPLAY.

vl_start_display() {
  local n
  for n in $(seq 90 140); do
    [ -e "/tmp/.X$n-lock" ] || [ -e "/tmp/.X11-unix/X$n" ] && continue
    Xvfb ":$n" -screen 0 1280x800x24 -nolisten tcp >/dev/null 2>&1 &
    VL_XVFB_PID=$!
    local i
    for i in $(seq 1 50); do
      [ -e "/tmp/.X11-unix/X$n" ] && break
      sleep 0.1
    done
    if kill -0 "$VL_XVFB_PID" 2>/dev/null; then
      export DISPLAY=":$n"
      return 0
    fi
  done
  vl_log "could not start Xvfb"
  return 1
}

# Wine's background services inherit the output pipes of whatever starts them first; start them
# detached so CTest and callers never wait on them.
vl_start_wineserver() {
  wineserver -p 2>/dev/null || true  # already running: fine
  wine cmd /c exit </dev/null >/dev/null 2>&1 || true
}

vl_stop_display() {
  wineserver -k 2>/dev/null || true
  [ -n "${VL_XVFB_PID:-}" ] && kill "$VL_XVFB_PID" 2>/dev/null || true
}
