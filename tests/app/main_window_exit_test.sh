#!/usr/bin/env bash
# Starts the real program under Wine, waits for its window titled "Velloria", presses Escape
# with real key input and expects the program to end with exit code 2.
set -u
exe=$1
source "$(dirname "$0")/../../scripts/lib/env.sh"
: "${DISPLAY:?needs an X display (scripts/test starts Xvfb)}"

wine "$exe" </dev/null >/dev/null 2>&1 &
pid=$!
wid=""
for _ in $(seq 1 200); do
  wid=$(xdotool search --name '^Velloria$' 2>/dev/null | head -n 1)
  [ -n "$wid" ] && break
  kill -0 "$pid" 2>/dev/null || break
  sleep 0.1
done
if [ -z "$wid" ]; then
  echo "FAIL: no window titled Velloria appeared"
  kill "$pid" 2>/dev/null
  exit 1
fi
echo "window $wid appeared"
xdotool windowfocus --sync "$wid" 2>/dev/null || true
sleep 0.3
xdotool key --window "$wid" Escape
for _ in $(seq 1 100); do
  kill -0 "$pid" 2>/dev/null || break
  sleep 0.1
done
if kill -0 "$pid" 2>/dev/null; then
  echo "FAIL: the program still runs 10 s after Escape"
  kill "$pid"
  exit 1
fi
wait "$pid"
rc=$?
echo "exit code $rc"
[ "$rc" -eq 2 ]
