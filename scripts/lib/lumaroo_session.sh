# Driving the real Lumaroo.exe under Wine with real X input (xdotool), for the scripts that
# measure it (scripts/latency, scripts/soak). Sourced after env.sh and xvfb.sh, with DISPLAY
# set and a wineserver running.
#
#   vl_prepare_install DIR      a copy of dist/win32 in DIR with the fake adb listing one phone
#   vl_start_lumaroo            starts Lumaroo.exe there; sets VL_LUMAROO_WINDOW (X id). Its
#                               configuration request goes to a loopback host (through the
#                               proxy setting WinINet honours), never to the internet
#   vl_stop_config_host         ends that host (callers' clean-up)
#   vl_connect_phone            picks the phone and clicks Connect; waits for the wide window
#   vl_disconnect_phone         clicks Disconnect; waits for the narrow window
#   vl_set_portrait 0|1         clicks the orientation button if needed, dismisses the hint
#   vl_close_lumaroo            Escape; waits for the program to end
#   vl_unix_pid IMAGE           the Linux process running IMAGE in this checkout's Wine prefix
#   vl_cpu_ticks PID            its user + system time in clock ticks (/proc/PID/stat)

VL_PHONE_NAME="Quillet Demo Phone"

vl_prepare_install() {
  VL_INSTALL=$1
  rm -rf "$VL_INSTALL"
  cp -r "$VL_PROGRAM_DIST" "$VL_INSTALL"
  cp "$VL_BUILD/$VL_WIN_TREE/tools/fake_adb/fake_adb.exe" "$VL_INSTALL/adb/adb.exe"
  cp "$VL_ROOT/tools/fake_adb/demo.conf" "$VL_INSTALL/adb/fake_adb.conf"
  VL_PROBE_EXE="$VL_BUILD/$VL_WIN_TREE/tools/window_probe/window_probe.exe"
}

vl_wait_for_window() {  # title regex -> X window id, or nothing after 30 s
  local wid="" i
  for i in $(seq 1 300); do
    wid=$(xdotool search --name "$1" 2>/dev/null | head -n 1)
    [ -n "$wid" ] && break
    sleep 0.1
  done
  echo "$wid"
}

vl_probe() { (cd "$VL_INSTALL" && wine "$VL_PROBE_EXE" Velloria </dev/null 2>/dev/null) | tr -d '\r'; }

# The screen centre of the first child whose probe line matches an extended regex.
vl_centre_of() {
  vl_probe | grep -E "$1" | head -n 1 |
    sed -E 's/.* x=(-?[0-9]+) y=(-?[0-9]+) w=([0-9]+) h=([0-9]+).*/\1 \2 \3 \4/' |
    awk '{ printf "%d %d\n", $1 + $3 / 2, $2 + $4 / 2 }'
}

vl_click_control() {  # probe regex
  local at
  at=$(vl_centre_of "$1")
  [ -n "$at" ] || return 1
  # shellcheck disable=SC2086
  xdotool mousemove $at click 1
  sleep 0.3
}

vl_window_width() {
  xdotool getwindowgeometry "$1" 2>/dev/null | awk '/Geometry/ { split($2, g, "x"); print g[1] }'
}

vl_wait_for_width() {  # width [tenths of a second]
  local i
  for i in $(seq 1 "${2:-200}"); do
    [ "$(vl_window_width "$VL_LUMAROO_WINDOW")" = "$1" ] && return 0
    sleep 0.1
  done
  return 1
}

vl_start_config_host() {
  [ -n "${VL_CONFIG_HOST_PID:-}" ] && return 0
  local root="$VL_INSTALL/../config-host"
  mkdir -p "$root/serelpartner"
  printf '%s' '<?xml version="1.0"?><config><app_name>Quillet</app_name></config>' \
    >"$root/serelpartner/config.php"
  rm -f "$root.port"
  python3 "$VL_ROOT/tools/http_test_server/http_test_server.py" serve --root "$root" \
    --log "$root.log" --port-file "$root.port" &
  VL_CONFIG_HOST_PID=$!
  local i
  for i in $(seq 1 50); do [ -s "$root.port" ] && break; sleep 0.1; done
  VL_CONFIG_PROXY="http://127.0.0.1:$(cat "$root.port" 2>/dev/null)"
}

vl_stop_config_host() {
  [ -n "${VL_CONFIG_HOST_PID:-}" ] && kill "$VL_CONFIG_HOST_PID" 2>/dev/null
  VL_CONFIG_HOST_PID=
}

vl_start_lumaroo() {
  vl_start_config_host
  (cd "$VL_INSTALL" && http_proxy=$VL_CONFIG_PROXY wine Lumaroo.exe </dev/null \
    >"$VL_INSTALL/lumaroo.log" 2>&1) &
  VL_LUMAROO_JOB=$!
  VL_LUMAROO_WINDOW=$(vl_wait_for_window '^Velloria$')
  [ -n "$VL_LUMAROO_WINDOW" ] || return 1
  local i
  for i in $(seq 1 300); do
    vl_probe | grep -q "class=VelloriaComboBox.*text=$VL_PHONE_NAME" && break
    sleep 0.1
  done
  # Moved to the left of the 1280-pixel screen by its top strip, so the connected window
  # (1080 wide) fits.
  local X Y WIDTH HEIGHT SCREEN WINDOW
  eval "$(xdotool getwindowgeometry --shell "$VL_LUMAROO_WINDOW")"
  xdotool mousemove $((X + 300)) $((Y + 30)) mousedown 1 sleep 0.2 mousemove $((X + 200)) \
    $((Y + 30)) sleep 0.1 mousemove 310 $((Y + 30)) sleep 0.2 mouseup 1
  sleep 0.5
  vl_probe | grep -q "class=VelloriaComboBox.*text=$VL_PHONE_NAME"
}

vl_connect_phone() {
  local picker px py
  picker=$(vl_centre_of 'class=VelloriaComboBox')
  [ -n "$picker" ] || return 1
  read -r px py <<<"$picker"
  xdotool mousemove "$px" "$py" click 1
  sleep 0.5
  xdotool mousemove "$px" $((py + 41)) click 1  # the first line of the list below the picker
  sleep 0.3
  vl_click_control 'class=VelloriaButton id=1 ' || return 1
  vl_wait_for_width 1080
}

vl_disconnect_phone() {
  vl_click_control 'class=VelloriaButton id=1 ' || return 1
  vl_wait_for_width 730
}

vl_set_portrait() {  # 1 portrait, 0 landscape (only while connected: the button shows then)
  local want=$1 current
  current=$(vl_probe | grep -E 'class=VelloriaButton id=4 .*text=(横|竖)屏模式' | sed 's/.*text=//')
  # The button names the mode a click switches to.
  if { [ "$want" = 1 ] && [ "$current" = "竖屏模式" ]; } ||
    { [ "$want" = 0 ] && [ "$current" = "横屏模式" ]; }; then
    vl_click_control 'class=VelloriaButton id=4 .*text=(横|竖)屏模式' || return 1
    local box
    box=$(vl_wait_for_window '^提示$')
    [ -n "$box" ] || return 1
    sleep 0.3
    xdotool key --window "$box" Return
    sleep 0.5
  fi
  return 0
}

vl_close_lumaroo() {
  xdotool key --window "$VL_LUMAROO_WINDOW" Escape 2>/dev/null
  local i
  for i in $(seq 1 100); do
    kill -0 "$VL_LUMAROO_JOB" 2>/dev/null || break
    sleep 0.1
  done
  wait "$VL_LUMAROO_JOB" 2>/dev/null
}

vl_unix_pid() {  # image name (the Linux name is cut at 15 characters)
  local comm=${1:0:15} p
  for p in /proc/[0-9]*; do
    [ "$(cat "$p/comm" 2>/dev/null)" = "$comm" ] || continue
    tr '\0' '\n' <"$p/environ" 2>/dev/null | grep -qx "WINEPREFIX=$WINEPREFIX" || continue
    echo "${p#/proc/}"
    return 0
  done
  return 1
}

vl_cpu_ticks() {  # user + system time of a process in clock ticks
  awk '{ sub(/.*\) /, ""); print $12 + $13 }' "/proc/$1/stat" 2>/dev/null
}
