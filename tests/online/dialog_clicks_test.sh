#!/usr/bin/env bash
# Real mouse clicks (xdotool) on the help and settings dialogs shown by tools/online_dialogs:
# each link opens its page (recorded by the tool, not executed), "详细教程" ends the help dialog
# with 2, the settings panel's close button with 0.
set -u
tool=$1
source "$(dirname "$0")/../../scripts/lib/env.sh"
: "${DISPLAY:?needs an X display (scripts/test starts Xvfb)}"
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
fail() { echo "FAIL: $*"; cat "$work"/*.log 2>/dev/null; exit 1; }

# Starts the tool (WHAT[:LOGNAME] OPTIONS...), waits for its layout in the log.
start() {
  local what=${1%%:*} log=$work/${1#*:}.log
  shift
  wine "$tool" "$what" "$@" --log "Z:$log" </dev/null >/dev/null 2>&1 &
  pid=$!
  for _ in $(seq 1 300); do
    grep -q '^ready' "$log" 2>/dev/null && return 0
    kill -0 "$pid" 2>/dev/null || break
    sleep 0.1
  done
  fail "$what: the window did not come up"
}
# Clicks the middle of control $2 (as logged in $1's log).
click() {
  local rect
  rect=$(grep "^rect $2 " "$work/$1.log" | head -n 1)
  [ -n "$rect" ] || fail "$1: no control $2"
  set -- $rect
  xdotool mousemove $(($3 + $5 / 2)) $(($4 + $6 / 2)) sleep 0.3 click 1
  sleep 0.5
}
finish() {
  for _ in $(seq 1 100); do
    kill -0 "$pid" 2>/dev/null || break
    sleep 0.1
  done
  kill -0 "$pid" 2>/dev/null && { kill "$pid"; fail "$1: still open"; }
  wait "$pid"
  rc=$?
}

start help --adb-driver http://www.velloria.com.cn/adb.zip --debug-mode http://www.velloria.com.cn/usb.html
click help 1006
click help 1007
click help 1008
finish help
[ "$rc" = 2 ] || fail "help ended with $rc, not 2"
grep -qx 'open http://www.velloria.com.cn/adb.zip' "$work/help.log" || fail "driver link"
grep -qx 'open http://www.velloria.com.cn/usb.html' "$work/help.log" || fail "debug-mode link"
grep -qx 'open http://www.velloria.com.cn/serel/app/pc_site/serel_camera/live.php#ios' \
  "$work/help.log" || fail "tutorial"
echo "help dialog: links and tutorial opened, result 2"

# The keyboard, as on any dialog: Return is "我知道了"; Tab then Space is "详细教程".
key() {  # title, keys...
  local wid="" title=$1
  shift
  for _ in $(seq 1 100); do
    wid=$(xdotool search --name "^$title\$" 2>/dev/null | head -n 1)
    [ -n "$wid" ] && break
    sleep 0.1
  done
  [ -n "$wid" ] || fail "no window $title"
  xdotool key --window "$wid" "$@"
  sleep 0.5
}
start help:help-return
key 使用帮助 Return
finish help-return
[ "$rc" = 1 ] || fail "Return ended the help dialog with $rc, not 1"
start help:help-tab --adb-driver http://www.velloria.com.cn/adb.zip
key 使用帮助 Tab space
finish help-tab
[ "$rc" = 2 ] || fail "Tab and Space ended the help dialog with $rc, not 2"
grep -qx 'open http://www.velloria.com.cn/serel/app/pc_site/serel_camera/live.php#ios' \
  "$work/help-tab.log" || fail "Tab and Space did not press 详细教程"
echo "help dialog: Return is 我知道了, Tab and Space press 详细教程"

start setting
click setting 4
click setting 3
click setting 2
finish setting
[ "$rc" = 0 ] || fail "settings ended with $rc, not 0"
grep -qx 'open http://www.velloria.com.cn/serel_camera/' "$work/setting.log" || fail "app link"
grep -qx 'check' "$work/setting.log" || fail "update check"
echo "settings dialog: app page opened, update check asked, result 0"
