#!/usr/bin/env bash
# The real program under Wine against a phone simulator that is busy or hostile, and against
# another program on the desktop:
#  1. Escape while the phone streams video, resources every 3 ms and panel commands every 5 ms:
#     the program ends with exit code 2, and Wine's heap checking (warn+heap) finds nothing.
#  2. The hostile panels: one 8 MiB picture named by 200 items on a hidden page, an insert of
#     20,000 descriptions under a missing parent, 2,046 adjustment pages; the program's growth
#     in private bytes and windows stays under the panel's bounds, it keeps running, and the
#     phone's next ordinary panel applies.
#  3. Message 0x467 from another program with addresses that mean nothing here: ignored.
#
# Usage: lumaroo_hostile_phone_test.sh INSTALL_DIR PHONESIM_EXE WINDOW_PROBE_EXE
#                                      PROCESS_PROBE_EXE FOREIGN_SENDER_EXE CLIP PICTURES WORK_DIR
# Bounds, as panel/panel_limits.h states them: held memory 112 MiB (+ 48 MiB while a command
# or picture is handled), 2,048 windows.
set -u
install_dir=$1 phonesim=$2 window_probe=$3 process_probe=$4 sender=$5 clip=$6 pictures=$7 work=$8
source "$(dirname "$0")/../../scripts/lib/env.sh"
: "${DISPLAY:?needs an X display (scripts/test starts Xvfb)}"
readonly kMaxGrowthKiB=$(((112 + 48) * 1024)) kMaxWindows=2048

# The fake adb forwards the phone's fixed port 8984: one checkout at a time.
exec 8>/tmp/velloria-fixed-ports.lock
flock 8

rm -rf "$work" && mkdir -p "$work"
VL_INSTALL=$work/install
cp -r "$install_dir" "$VL_INSTALL"
VL_PROBE_EXE=$window_probe
source "$VL_ROOT/scripts/lib/lumaroo_session.sh"
trap 'vl_stop_config_host; [ -n "${phone:-}" ] && kill "$phone" 2>/dev/null; wineserver -k 2>/dev/null' EXIT

failures=0
fail() { echo "FAIL $*"; failures=$((failures + 1)); }
winpath() { echo "Z:$1"; }

start_phone() {  # phonesim options...
  (cd "$work" && exec wine "$phonesim" --port 8984 --connections 1 --log "$(winpath "$work/phone.log")" \
    "$@" </dev/null >/dev/null 2>&1) &
  phone=$!
  sleep 1
}
stop_phone() { kill "$phone" 2>/dev/null; wait "$phone" 2>/dev/null; phone=""; }
probe() { (cd "$VL_INSTALL" && wine "$process_probe" Lumaroo.exe </dev/null 2>/dev/null) | tr -d '\r'; }
figure() { probe | sed -n "s/.* $1=\(-\?[0-9]*\).*/\1/p" | head -n 1; }

# --- 1. Escape while the phone streams -----------------------------------------------------------
printf '%s\n' '<command name="modify" parent_id="3"><ctrl class="page_list" id="20" selected="101"/></command>' \
  '<command name="modify" parent_id="3"><ctrl class="page_list" id="20" selected="102"/></command>' \
  >"$work/churn.txt"
start_phone --panel "$(winpath "$VL_ROOT/tools/phonesim/panels/beauty_panel.xml")" \
  --resource-churn 3:filter_vivid.png=20000 --churn "5:$(winpath "$work/churn.txt")" \
  --video "$(winpath "$clip")" --fps 60 --loop 0
close_with_escape() {  # sets rc: the program's exit code ("timeout" when it did not end)
  xdotool key --window "$VL_LUMAROO_WINDOW" Escape 2>/dev/null
  local i
  for i in $(seq 1 100); do kill -0 "$VL_LUMAROO_JOB" 2>/dev/null || break; sleep 0.1; done
  if kill -0 "$VL_LUMAROO_JOB" 2>/dev/null; then
    kill "$VL_LUMAROO_JOB"
    rc=timeout
    return
  fi
  wait "$VL_LUMAROO_JOB"
  rc=$?
}

export WINEDEBUG=warn+heap  # the program's heap is checked at every allocation and release
vl_start_lumaroo || fail "streaming: the program did not start"
export WINEDEBUG=-all
if vl_connect_phone; then
  sleep 3
  close_with_escape
  heap=$(grep -ci 'heap' "$VL_INSTALL/lumaroo.log")
  echo "streaming: exit code after Escape $rc, heap reports $heap"
  [ "$rc" = 2 ] || fail "streaming: exit code $rc"
  [ "$heap" -eq 0 ] || { fail "streaming: Wine's heap checking reported:"; grep -i heap "$VL_INSTALL/lumaroo.log" | head; }
else
  fail "streaming: could not connect"
  close_with_escape
fi
stop_phone

# --- 2. The hostile panels ---------------------------------------------------------------------
{
  printf '<command name="config"><ctrl class="op_area" id="1"><ctrl class="page_switch" id="2" selected="3"><ctrl class="page_list" id="3"/><ctrl class="page_list" id="4">'
  for i in $(seq 100 299); do printf '<ctrl class="filter_item" id="%d" image="big"/>' "$i"; done
  printf '</ctrl></ctrl></ctrl></command>'
} >"$work/hidden.xml"
{
  printf '<command name="insert" parent_id="999999">'
  for i in $(seq 1 20000); do printf '<ctrl class="page_adjust" id="%d"/>' "$i"; done
  printf '</command>'
} >"$work/lost_insert.xml"
{
  printf '<command name="config"><ctrl class="op_area" id="1"><ctrl class="page_switch" id="2" selected="10">'
  for i in $(seq 10 2055); do printf '<ctrl class="page_adjust" id="%d"/>' "$i"; done
  printf '</ctrl></ctrl></command>'
} >"$work/adjust_pages.xml"
start_phone --resource-bytes big=8388608 --panel "$(winpath "$work/hidden.xml")" \
  --panel "$(winpath "$work/lost_insert.xml")" --panel "$(winpath "$work/adjust_pages.xml")" \
  --sleep 4000 --resource-dir "$(winpath "$pictures")" \
  --panel "$(winpath "$VL_ROOT/tools/phonesim/panels/beauty_panel.xml")"
vl_start_lumaroo || fail "hostile: the program did not start"
before_bytes=$(figure private_bytes) before_windows=$(figure user_objects)
if vl_connect_phone; then
  worst_bytes=0 worst_windows=0
  for _ in $(seq 1 30); do  # while the hostile panels arrive and stand
    b=$(figure private_bytes) w=$(figure user_objects)
    [ -n "$b" ] && [ "$b" -gt "$worst_bytes" ] && worst_bytes=$b
    [ -n "$w" ] && [ "$w" -gt "$worst_windows" ] && worst_windows=$w
    sleep 0.2
  done
  growth_kib=$(((worst_bytes - before_bytes) / 1024)) windows=$((worst_windows - before_windows))
  echo "hostile: private bytes grew by at most ${growth_kib} KiB (bound ${kMaxGrowthKiB}), windows by at most $windows (bound $kMaxWindows)"
  [ "$growth_kib" -le "$kMaxGrowthKiB" ] || fail "hostile: memory past the bound"
  [ "$windows" -le "$kMaxWindows" ] || fail "hostile: windows past the bound"
  # The program goes on, and the ordinary panel that follows applies.
  for _ in $(seq 1 100); do
    vl_probe | grep -q "$(printf 'text=\xe7\xbe\x8e\xe9\xa2\x9c')" && break  # the beauty tab
    sleep 0.2
  done
  vl_probe | grep -q "$(printf 'text=\xe7\xbe\x8e\xe9\xa2\x9c')" || fail "hostile: the next ordinary panel did not apply"
  kill -0 "$VL_LUMAROO_JOB" 2>/dev/null || fail "hostile: the program ended"
  close_with_escape
  [ "$rc" = 2 ] || fail "hostile: exit code $rc"
else
  fail "hostile: could not connect"
  close_with_escape
fi
stop_phone

# --- 3. 0x467 from another program ---------------------------------------------------------------
vl_start_lumaroo || fail "0x467: the program did not start"
(cd "$work" && wine "$sender" </dev/null 2>&1) | tr -d '\r'
sent=${PIPESTATUS[0]}
[ "$sent" -eq 0 ] || fail "0x467: the program did not answer every message ($sent)"
sleep 1
kill -0 "$VL_LUMAROO_JOB" 2>/dev/null || fail "0x467: the program ended"
close_with_escape
echo "0x467: exit code after Escape $rc"
[ "$rc" = 2 ] || fail "0x467: exit code $rc"

[ "$failures" -eq 0 ]
