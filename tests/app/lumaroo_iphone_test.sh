#!/usr/bin/env bash
# The installed program reaches an iPhone under Wine, with real clicks and keys. A copy of the
# program's layout (dist/win32, or dist/win64-program where 32-bit programs cannot run) without
# adb\adb.exe runs Lumaroo.exe; the Linux-side fake mobile-device service on
# the fixed port 127.0.0.1:27015 attaches an iPhone whose handshake fails and a Chinese-named
# iPhone, both with lockdown in TLS as real phones have it, the second with its service port 8984
# proxied to phonesim. The program says once that adb is missing (a refresh says nothing more),
# the picker lists only the Chinese-named iPhone, in code page 936; Connect widens the window
# and a capture graph on "Velloria(横屏)" receives the phone's numbered pictures through the
# preview; Disconnect, and Escape ends the program with exit code 2.
# Port 27015 is machine-wide: run through scripts/lib/with-fixed-ports.
# Usage: lumaroo_iphone_test.sh FAKE_USBMUXD PHONESIM WINDOW_PROBE VCAM_CAPTURE CLIP
set -u
fake_usbmuxd=$1
phonesim=$2
probe_exe=$3
capture_exe=$4
clip=$5
source "$(dirname "$0")/../../scripts/lib/env.sh"
source "$VL_ROOT/scripts/lib/lumaroo_session.sh"
: "${DISPLAY:?needs an X display (scripts/test starts Xvfb)}"

failures=0
check() {  # check DESCRIPTION COMMAND...
  local what=$1
  shift
  if "$@"; then echo "ok: $what"; else echo "FAIL: $what"; failures=$((failures + 1)); fi
}

for f in "$fake_usbmuxd" "$phonesim" "$probe_exe" "$capture_exe" "$clip" "$VL_PROGRAM_DIST/Lumaroo.exe"; do
  [ -f "$f" ] || { echo "FAIL: $f is missing (scripts/build makes the native and win32 trees)"; exit 1; }
done

work=$(mktemp -d /tmp/vl-lumaroo-iphone-XXXXXX)
VL_INSTALL="$work/install"
VL_PROBE_EXE=$probe_exe
pids=()
cleanup() {
  [ -n "${VL_LUMAROO_JOB:-}" ] && kill "$VL_LUMAROO_JOB" 2>/dev/null
  for p in "${pids[@]}"; do kill "$p" 2>/dev/null; done
  (cd "$VL_INSTALL" && wine "$VL_REGSVR32" /s /u vlux_horizontal.dll vlux_vertical.dll \
    </dev/null >/dev/null 2>&1)
  wait 2>/dev/null
  rm -rf "$work"
}
trap cleanup EXIT

# The installation as a build without the platform tools lays it out: adb\ holds no adb.exe.
cp -r "$VL_PROGRAM_DIST" "$VL_INSTALL"
rm -f "$VL_INSTALL/adb/adb.exe"

"$phonesim" --port 0 --port-file "$work/phone.port" --video "$clip" --fps 30 --loop 0 \
  --connections 0 --log "$work/phonesim.log" >/dev/null 2>&1 &
pids+=($!)
for _ in $(seq 1 50); do [ -s "$work/phone.port" ] && break; sleep 0.1; done
phone_port=$(tr -d '\n' <"$work/phone.port")

# "张三的iPhone"; the phone that fails its handshake comes first in the service's list.
chinese=00008110-000A1C2E3F40801E
broken=00008030-0011223344556677
printf 'refuse %s\ndevice %s 张三的iPhone\nservice %s 8984 %s\n' "$broken" "$chinese" "$chinese" \
  "$phone_port" >"$work/iphones.conf"
"$fake_usbmuxd" serve --config "$work/iphones.conf" --port 27015 --tls --log "$work/usbmuxd.log" \
  --port-file "$work/usbmuxd.port" 2>"$work/usbmuxd.err" &
pids+=($!)
for _ in $(seq 1 100); do [ -s "$work/usbmuxd.port" ] && break; sleep 0.1; done
check "the fake mobile-device service listens on 27015" grep -qx 27015 "$work/usbmuxd.port"
logged() { grep -qxF "$1" "$work/usbmuxd.log"; }

(cd "$VL_INSTALL" && wine Lumaroo.exe </dev/null >"$work/lumaroo.log" 2>&1) &
VL_LUMAROO_JOB=$!
VL_LUMAROO_WINDOW=$(vl_wait_for_window '^Velloria$')
check "the main window appears" [ -n "$VL_LUMAROO_WINDOW" ]

# --- adb is missing: said once, behind the list --------------------------------------------
box=$(vl_wait_for_window '^提示$')
check "a box says that adb is missing" [ -n "$box" ]
box_text=$( (cd "$VL_INSTALL" && wine "$probe_exe" 提示 </dev/null 2>/dev/null) | tr -d '\r')
check "the box names adb\\adb.exe and Android phones" \
  grep -qF '未找到安卓手机连接组件adb\adb.exe，无法检测安卓手机' <<<"$box_text"
[ -n "$box" ] && xdotool key --window "$box" Return
sleep 0.5
picker_lists() { vl_probe | grep -q "class=VelloriaComboBox.*text=$1"; }
for _ in $(seq 1 100); do picker_lists 张三的iPhone && break; sleep 0.1; done
check "the picker shows the Chinese-named iPhone" picker_lists 张三的iPhone
check "the phone that failed its handshake was tried" logged "lockdown $broken QueryType label=lumaroo"
check "the iPhone's session went on in TLS with the host certificate" logged "tls $chinese host"

lists_before=$(grep -c '^ListDevices$' "$work/usbmuxd.log")
vl_click_control 'class=VelloriaButton id=3 '
for _ in $(seq 1 100); do
  [ "$(grep -c '^ListDevices$' "$work/usbmuxd.log")" -gt "$lists_before" ] && break
  sleep 0.1
done
check "the refresh button scanned again" [ "$(grep -c '^ListDevices$' "$work/usbmuxd.log")" -gt "$lists_before" ]
sleep 3
check "the refresh says nothing more about adb" [ -z "$(xdotool search --onlyvisible --name '^提示$' 2>/dev/null)" ]
check "the picker still shows the Chinese-named iPhone" picker_lists 张三的iPhone

# --- one line in the list, then connect ------------------------------------------------------
picker=$(vl_centre_of 'class=VelloriaComboBox')
read -r px py <<<"$picker"
xdotool mousemove "$px" "$py" click 1
sleep 0.5
list_height=$( (cd "$VL_INSTALL" && wine "$probe_exe" "" --class VelloriaComboList </dev/null 2>/dev/null) |
  tr -d '\r' | sed -nE 's/^window .* h=([0-9]+) .*/\1/p' | head -n 1)
# One line is 46 pixels high (widgets/combo_box_list.h); two would be 92.
one_line() { [ -n "$list_height" ] && [ "$list_height" -ge 40 ] && [ "$list_height" -lt 80 ]; }
check "the open list holds one line (height ${list_height:-none})" one_line
xdotool mousemove "$px" $((py + 41)) click 1  # the first line, just below the picker
sleep 0.3
vl_click_control 'class=VelloriaButton id=1 '
check "Connect widens the window" vl_wait_for_width 1080
check "the service port was reached through the fake" logged "Connect $chinese 8984"
sleep 2
import -window root "$work/connected.png" 2>/dev/null

(cd "$VL_INSTALL" && wine "Z:$capture_exe" --device "Velloria(横屏)" --samples 60 \
  --frame-log "Z:$work/frames.log" </dev/null >"$work/capture.log" 2>&1)
rc=$?
check "a capture graph on Velloria(横屏) receives 60 samples (exit code $rc)" [ "$rc" -eq 0 ]
numbered=$(awk '$2 >= 0 { n++ } END { print n + 0 }' "$work/frames.log" 2>/dev/null)
check "the camera's samples are the phone's numbered pictures ($numbered of 60)" [ "${numbered:-0}" -ge 30 ]

vl_click_control 'class=VelloriaButton id=1 '
check "Disconnect narrows the window" vl_wait_for_width 730
vl_close_lumaroo
rc=$?
VL_LUMAROO_JOB=
check "Escape ends Lumaroo.exe with exit code 2 (got $rc)" [ "$rc" -eq 2 ]

if [ "$failures" -ne 0 ]; then
  echo "--- fake mobile-device service log"; cat "$work/usbmuxd.log" "$work/usbmuxd.err"
  echo "--- capture"; cat "$work/capture.log"
fi
echo "$failures failure(s)"
[ "$failures" -eq 0 ]
