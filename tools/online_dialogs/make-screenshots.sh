#!/usr/bin/env bash
# Screenshots of the help and settings dialogs and of the update's progress balloon, taken under
# Xvfb from tools/online_dialogs. Usage: make-screenshots.sh <online_dialogs.exe> <out dir>
# (needs DISPLAY and the project's Wine environment). The balloon is shot on a Wine desktop
# window, whose size stays the display's size for the rest of that Wine session: the script
# ends the session (wineserver -k) afterwards, so run it on its own, never beside tests.
set -euo pipefail
tool=$1 out=$2
source "$(dirname "$0")/../../scripts/lib/env.sh"
mkdir -p "$out"
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

wait_ready() {
  for _ in $(seq 1 300); do
    grep -q '^ready' "$1" 2>/dev/null && return 0
    sleep 0.1
  done
  echo "no window for $1" >&2
  return 1
}

# A dialog: shot of the screen, cut to the dialog's rectangle, then closed by a click on the
# control $3.
dialog_shot() {
  local name=$1 file=$2 close=$3
  shift 3
  local log=$work/$name.log
  wine "$tool" "$name" --log "Z:$log" "$@" </dev/null >/dev/null 2>&1 &
  local pid=$!
  wait_ready "$log"
  sleep 1
  read -r _ x y w h < <(grep '^window ' "$log")
  import -window root -crop "${w}x${h}+${x}+${y}" +repage "$out/$file"
  read -r _ _ x y w h _ < <(grep "^rect $close " "$log")
  xdotool mousemove $((x + w / 2)) $((y + h / 2)) click 1
  wait "$pid" || true
}

dialog_shot help online-help-dialog.png 1 \
  --adb-driver http://www.velloria.com.cn/adb.zip --debug-mode https://www.baidu.com/s?wd=
dialog_shot setting online-settings-dialog.png 2

# The balloon needs a notification area: a Wine desktop window with a taskbar.
log=$work/balloon.log
wine explorer /desktop=velloria-shots,640x360 "$tool" balloon --log "Z:$log" \
  </dev/null >/dev/null 2>&1 &
pid=$!
wait_ready "$log"
sleep 5
import -window root -crop 360x150+280+210 +repage "$out/online-progress-balloon.png"
wait "$pid" || true
wineserver -k 2>/dev/null || true
echo "screenshots in $out"
