#!/usr/bin/env bash
# Screenshot of the widget gallery with a combo box's list open and hovered:
#   shoot.sh <widget_gallery.exe> <out.png>
# Needs DISPLAY (an X server such as Xvfb without a window manager) and the Wine environment.
set -u
exe=$1
out=$2
(cd "$(dirname "$exe")" && wine "$(basename "$exe")" --open-list </dev/null >/dev/null 2>&1) &
pid=$!
wid=""
for _ in $(seq 1 200); do
  wid=$(xdotool search --name '^Velloria widget gallery$' 2>/dev/null | head -n 1)
  [ -n "$wid" ] && break
  sleep 0.1
done
[ -n "$wid" ] || { echo "no gallery window" >&2; kill "$pid" 2>/dev/null; exit 1; }
sleep 2.5  # the list opens after 400 ms; spinners and fades settle
# The window sits at (20, 20) without a frame (no window manager): take its client area.
import -window root -crop 1182x742+19+19 +repage "$out"
rc=$?
xdotool key --window "$wid" Escape 2>/dev/null
for _ in $(seq 1 50); do kill -0 "$pid" 2>/dev/null || break; sleep 0.1; done
kill "$pid" 2>/dev/null
exit $rc
