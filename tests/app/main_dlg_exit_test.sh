#!/usr/bin/env bash
# The real program under Wine and Xvfb, from a laid-out installation (camera modules, res\, the
# fake adb), closed three ways with real X input: the Escape key, a click on the close button,
# and Alt+F4. Each time the program must end with exit code 2.
set -u
install_dir=$1
source "$(dirname "$0")/../../scripts/lib/env.sh"
: "${DISPLAY:?needs an X display (scripts/test starts Xvfb)}"

failures=0
run_case() {  # name, action
  local name=$1 action=$2
  (cd "$install_dir" && exec wine Lumaroo.exe </dev/null >/dev/null 2>&1) &
  local pid=$! wid=""
  for _ in $(seq 1 300); do
    wid=$(xdotool search --name '^Velloria$' 2>/dev/null | head -n 1)
    [ -n "$wid" ] && break
    kill -0 "$pid" 2>/dev/null || break
    sleep 0.1
  done
  if [ -z "$wid" ]; then
    echo "FAIL $name: no window titled Velloria appeared"
    kill "$pid" 2>/dev/null
    failures=$((failures + 1))
    return
  fi
  sleep 1.5  # the first device list ends the loading overlay
  xdotool windowfocus "$wid" 2>/dev/null || true
  sleep 0.3
  case $action in
    escape) xdotool key --window "$wid" Escape ;;
    alt-f4) xdotool key --window "$wid" alt+F4 ;;
    close-button)
      # The close button's centre: client (702, 25) of the borderless window.
      eval "$(xdotool getwindowgeometry --shell "$wid")"
      xdotool mousemove $((X + 702)) $((Y + 25)) click 1
      ;;
  esac
  for _ in $(seq 1 100); do
    kill -0 "$pid" 2>/dev/null || break
    sleep 0.1
  done
  if kill -0 "$pid" 2>/dev/null; then
    echo "FAIL $name: the program still runs 10 s later"
    kill "$pid"
    failures=$((failures + 1))
    return
  fi
  wait "$pid"
  local rc=$?
  echo "$name: exit code $rc"
  [ "$rc" -eq 2 ] || failures=$((failures + 1))
}

run_case "Escape" escape
run_case "close button" close-button
run_case "Alt+F4" alt-f4
[ "$failures" -eq 0 ]
