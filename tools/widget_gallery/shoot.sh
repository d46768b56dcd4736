#!/usr/bin/env bash
# Screenshot of the widget gallery's client area with a combo box's list open and hovered:
#   shoot.sh <widget_gallery.exe> <out.png>
# Needs DISPLAY (an X server such as Xvfb) and the Wine environment; window_probe.exe is taken
# from the same build tree.
set -u
exe=$1
out=$2
probe="$(dirname "$exe")/../window_probe/window_probe.exe"
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
# The client area as Windows places it: whatever frame and caption the window has stay out.
crop=$(wine "$probe" "Velloria widget gallery" </dev/null 2>/dev/null | tr -d '\r' |
  sed -n 's/^window .* client=\(-\{0,1\}[0-9]*\),\(-\{0,1\}[0-9]*\),\([0-9]*\),\([0-9]*\) .*/\3x\4+\1+\2/p')
rc=1
if [ -n "$crop" ]; then
  import -window root -crop "$crop" +repage "$out"
  rc=$?
else
  echo "no client rectangle for the gallery" >&2
fi
xdotool key --window "$wid" Escape 2>/dev/null
for _ in $(seq 1 50); do kill -0 "$pid" 2>/dev/null || break; sleep 0.1; done
kill "$pid" 2>/dev/null
exit $rc
