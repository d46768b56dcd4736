#!/usr/bin/env bash
# Screenshots of the help and settings dialogs and of the update's progress balloon, taken under
# Xvfb from tools/online_dialogs. Usage: make-screenshots.sh <online_dialogs.exe> <out dir>
# (needs DISPLAY and the project's Wine environment, as scripts/test sets them up).
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

# A dialog: shot of the screen, cut to the dialog's rectangle, then closed with Escape.
dialog_shot() {
  local name=$1 file=$2
  shift 2
  local log=$work/$name.log
  wine "$tool" "$name" --log "Z:$log" "$@" </dev/null >/dev/null 2>&1 &
  local pid=$!
  wait_ready "$log"
  sleep 1
  read -r _ x y w h < <(grep '^window ' "$log")
  import -window root -crop "${w}x${h}+${x}+${y}" +repage "$out/$file"
  xdotool key Escape
  wait "$pid" || true
}

dialog_shot help online-help-dialog.png \
  --adb-driver http://www.velloria.com.cn/adb.zip --debug-mode https://www.baidu.com/s?wd=
dialog_shot setting online-settings-dialog.png

# The balloon needs a notification area: a Wine desktop window with a taskbar.
log=$work/balloon.log
wine explorer /desktop=velloria-shots,640x360 "$tool" balloon --log "Z:$log" \
  </dev/null >/dev/null 2>&1 &
pid=$!
wait_ready "$log"
sleep 1.5
import -window root -crop 360x150+280+210 +repage "$out/online-progress-balloon.png"
wait "$pid" || true
echo "screenshots in $out"
