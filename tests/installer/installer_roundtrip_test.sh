#!/usr/bin/env bash
# Round trip under Wine with real input: an installer packed from dist/ as scripts/build packs
# dist/setup-test.exe, with stand-ins for Android's platform tools in adb\, /S installs the
# program; the files (adb with its USB libraries, and the installer's list of them), registry
# values (the entry's version is the project's), shortcuts and both cameras (listed by the 32- and
# 64-bit capture tool) are there and Lumaroo.exe starts from the installed folder. A portable copy
# elsewhere (the program, a file of the user's and a copy of the uninstaller) loses nothing when
# that uninstaller copy runs, and neither does the installation. The installed Uninstall.exe,
# answered with real key presses, closes the running program (exit code 2), proceeds on Retry and
# removes everything the installer made, while a marker beside the installation, a marker in a
# folder linked from inside it and a marker in the folder the Start-menu folder was turned into a
# link to survive; its own file goes at the next start of Windows. A copy of Uninstall.exe on the
# desktop deletes nothing there.
# Where the machine runs no 32-bit code (tree win64), the same round trip runs a 64-bit test
# installer of the 64-bit program: it installs into the native Program Files and both cameras are
# the 64-bit modules.
# Usage: installer_roundtrip_test.sh <32-bit vcam_capture.exe> <64-bit vcam_capture.exe>
#                                   <stand-in platform tools folder> <version> [win32|win64]
set -u
capture32=$1
capture64=$2
platform_tools=$3
version=$4
tree=${5:-win32}
source "$(dirname "$0")/../../scripts/lib/env.sh"
: "${DISPLAY:?needs an X display (scripts/test starts Xvfb)}"

# dist/ with the platform tools laid in by the build's own step and its list made anew, packed by
# the same script (stand-ins: the real tools never enter the tests).
release=$(mktemp -d /tmp/vl-roundtrip-release-XXXXXX)
if [ "$tree" = win64 ]; then
  program_dist="$VL_ROOT/dist/win64-program"
  cp -r "$program_dist" "$release/win32"
  target=(-DTARGET_AMD64)
  program_files_name="Program Files"
  capture_bits=(64)
else
  program_dist="$VL_ROOT/dist/win32"
  cp -r "$program_dist" "$release/win32"
  target=()
  program_files_name="Program Files (x86)"
  capture_bits=(32 64)
fi
cp -r "$VL_ROOT/dist/win64" "$release/win64"
python3 "$VL_ROOT/scripts/lib/platform_tools.py" "$platform_tools" "$release/win32/adb" ||
  { echo "FAIL: the platform tools were not laid out"; exit 1; }
"$VL_ROOT/installer/make-installed-list" "$release" ||
  { echo "FAIL: the installer's list"; exit 1; }
makensis -V2 -DTEST_BUILD "${target[@]}" -DDIST="$release" -DOUTFILE="$release/setup.exe" \
  -DICON="$VL_BUILD/$tree/pictures/lumaroo.ico" \
  -DDESKTOP_RUN="$VL_BUILD/$tree/installer/desktop_run.exe" "$VL_ROOT/installer/velloria.nsi" \
  >/dev/null || { echo "FAIL: makensis"; exit 1; }
setup_exe="$release/setup.exe"
drive_c="$WINEPREFIX/drive_c"
program_files="$drive_c/$program_files_name"
installed="$program_files/Velloria"
win_installed="C:\\$program_files_name\\Velloria"
profile="$drive_c/users/$(id -un)"
desktop="$profile/Desktop"
programs="$profile/AppData/Roaming/Microsoft/Windows/Start Menu/Programs"
entry='HKCU\Software\Microsoft\Windows\CurrentVersion\Uninstall\Lumaroo'
landscape_clsid='HKCR\CLSID\{8E14549A-DB61-4309-AFA1-3578E927E934}'
portrait_clsid='HKCR\CLSID\{1B914DED-3DEF-4AD0-B158-EA0A7B34FC80}'
outside="$drive_c/VelloriaRoundTripOutside"
portable="$drive_c/VelloriaRoundTripTools"
win_portable='C:\VelloriaRoundTripTools'
start_menu_target="$drive_c/VelloriaRoundTripStartMenu"
marker_beside="$program_files/velloria-roundtrip-keep.txt"

failures=0
check() {  # check DESCRIPTION COMMAND...
  local what=$1
  shift
  if "$@"; then echo "ok: $what"; else echo "FAIL: $what"; failures=$((failures + 1)); fi
}
no() { ! "$@"; }
present() { [ -e "$1" ] || [ -L "$1" ]; }
value_is() { wine reg query "$1" /v "$2" 2>/dev/null | tr -d '\r' | grep -qF "$3"; }
default_is() { wine reg query "$1" /ve "$3" 2>/dev/null | tr -d '\r' | grep -qF "$2"; }
key_exists() { wine reg query "$@" >/dev/null 2>&1; }
lists_camera() { wine "$1" --list 2>/dev/null | tr -d '\r' | grep -qxF "$2"; }
pending_removals() {
  wine reg query 'HKLM\System\CurrentControlSet\Control\Session Manager' \
    /v PendingFileRenameOperations 2>/dev/null | tr -d '\r'
}

# Waits for a visible window (xdotool search arguments) and presses Return in it: the default
# button (OK, or Retry in a Retry/Cancel box). Then waits for that window to go. A program that
# has just started can take the focus back a moment later (a loaded machine makes that moment
# late); the key then went elsewhere, and like a user it focuses the box and presses again.
press_return_in() {
  local window=""
  for _ in $(seq 1 200); do
    window=$(xdotool search --onlyvisible "$@" 2>/dev/null | head -n 1)
    [ -n "$window" ] && break
    sleep 0.1
  done
  [ -n "$window" ] || { echo "no window for: $*"; return 1; }
  for attempt in 1 2 3 4 5; do
    xdotool windowfocus --sync "$window" 2>/dev/null || true
    sleep 0.3
    xdotool key --window "$window" Return 2>/dev/null
    for _ in $(seq 1 30); do
      xdotool search --onlyvisible "$@" 2>/dev/null | grep -qx "$window" || return 0
      sleep 0.1
    done
    echo "the window for $* stayed after Return (press $attempt)"
  done
  return 1
}

wait_for_exit() {  # wait_for_exit PID SECONDS -> the exit code, or 124 after the time
  local pid=$1
  for _ in $(seq 1 $(($2 * 10))); do
    kill -0 "$pid" 2>/dev/null || { wait "$pid"; return $?; }
    sleep 0.1
  done
  return 124
}

# The prefix's desktop must be its own folder: the test deletes things around it.
if [ -L "$desktop" ] || [ ! -d "$desktop" ]; then
  echo "FAIL: $desktop is not a folder of the Wine prefix (run scripts/setup)"
  exit 1
fi
[ -f "$program_dist/Lumaroo.exe" ] ||
  { echo "FAIL: dist/ is missing (scripts/build makes it)"; exit 1; }
[ -f "$capture64" ] || { echo "FAIL: $capture64 is missing (build the win64 tree)"; exit 1; }

cleanup() {
  [ -n "${program_pid:-}" ] && kill "$program_pid" 2>/dev/null
  [ -n "${uninstall_pid:-}" ] && kill "$uninstall_pid" 2>/dev/null
  # Ending the starter leaves the Windows process running: a program left over would meet the
  # next tests' programs (one instance per desktop). Only this prefix's processes are ended.
  wine taskkill /f /im Lumaroo.exe >/dev/null 2>&1
  wine taskkill /f /im Uninstall.exe >/dev/null 2>&1
  rm -f "$installed/linked" "$programs/Velloria"
  rm -rf "$installed" "$outside" "$marker_beside" "$desktop/Uninstall.exe" "$desktop/keep-"* \
    "$desktop/Velloria.lnk" "$programs/Velloria" "$programs/Velloria.installed" "$portable" \
    "$start_menu_target"
  wine reg delete "$entry" /f >/dev/null 2>&1
}
trap 'cleanup; rm -rf "$release"' EXIT
cleanup

# --- install -------------------------------------------------------------------------------
wine "$setup_exe" /S </dev/null >/dev/null 2>&1
check "silent install ends with 0" [ $? -eq 0 ]
for file in Lumaroo.exe Uninstall.exe vlux_horizontal.dll vlux_vertical.dll res/default.png \
  res/default_h.jpg res/default_v.jpg x64/vlux_horizontal.dll x64/vlux_vertical.dll \
  x64/res/default_h.jpg x64/res/default_v.jpg installed.lst adb/adb.exe adb/AdbWinApi.dll \
  adb/AdbWinUsbApi.dll; do
  check "installed $file" [ -f "$installed/$file" ]
done
check "the installer's list names the program" grep -qx $'Lumaroo.exe\r' "$installed/installed.lst"
check "installed the adb folder" [ -d "$installed/adb" ]
check "uninstall entry: display name" value_is "$entry" DisplayName Velloria
check "uninstall entry: the project's version" value_is "$entry" DisplayVersion "$version"
check "uninstall entry: installation folder" value_is "$entry" InstallLocation "$win_installed"
check "uninstall entry: publisher" value_is "$entry" Publisher Velloria
check "uninstall entry: icon" value_is "$entry" DisplayIcon "$win_installed\\Lumaroo.exe,0"
check "uninstall entry: uninstall string" value_is "$entry" UninstallString "\"$win_installed\\Uninstall.exe\""
if [ "$tree" = win64 ]; then
  check "64-bit landscape camera registered from the installation" \
    default_is "$landscape_clsid\\InprocServer32" "$win_installed\\x64\\vlux_horizontal.dll" /reg:64
else
  check "32-bit landscape camera registered from the installation" \
    default_is "$landscape_clsid\\InprocServer32" "$win_installed\\vlux_horizontal.dll" /reg:32
fi
check "64-bit portrait camera registered from the installation" \
  default_is "$portrait_clsid\\InprocServer32" "$win_installed\\x64\\vlux_vertical.dll" /reg:64
check "desktop shortcut" grep -qa Lumaroo.exe "$desktop/Velloria.lnk"
check "Start-menu shortcut" grep -qa Lumaroo.exe "$programs/Velloria/Velloria.lnk"
check "Start-menu uninstall shortcut" grep -qa Uninstall.exe "$programs/Velloria/卸载Velloria.lnk"
for bits in "${capture_bits[@]}"; do
  capture=$capture32
  [ $bits = 64 ] && capture=$capture64
  check "the $bits-bit capture tool lists Velloria(横屏)" lists_camera "$capture" 'Velloria(横屏)'
  check "the $bits-bit capture tool lists Velloria(竖屏)" lists_camera "$capture" 'Velloria(竖屏)'
done

# Things that are not the installer's: a marker beside the installation, and a folder outside
# reached through a link inside it (Wine makes no junctions; a Unix link is its reparse point).
echo keep >"$marker_beside"
mkdir -p "$outside" && echo keep >"$outside/marker.txt"
ln -s "$outside" "$installed/linked"

# A portable copy elsewhere: the program, a file of the user's, and a copy of the uninstaller.
mkdir -p "$portable"
cp "$installed/Lumaroo.exe" "$installed/Uninstall.exe" "$portable/"
echo mine >"$portable/notes.txt"
# The Start-menu folder turned into a link to a folder of the user's.
mkdir -p "$start_menu_target" && echo keep >"$start_menu_target/marker.txt"
mv "$programs/Velloria" "$programs/Velloria.installed"
ln -s "$start_menu_target" "$programs/Velloria"

# --- the portable copy's uninstaller deletes nothing ---------------------------------------
wine "$win_portable\\Uninstall.exe" </dev/null >/dev/null 2>&1 &
uninstall_pid=$!
check "portable copy: confirmation answered OK" press_return_in --name '^Velloria卸载程序$'
check "portable copy: final message answered" press_return_in --all --pid "$uninstall_pid" --name '^$'
wait_for_exit "$uninstall_pid" 20
uninstall_pid=""
check "portable copy: the user's file survives" grep -qx mine "$portable/notes.txt"
check "portable copy: its program survives" [ -f "$portable/Lumaroo.exe" ]
check "portable copy: the installation is untouched" [ -f "$installed/Lumaroo.exe" ]
check "portable copy: the uninstall entry stays" key_exists "$entry"
check "portable copy: the desktop shortcut stays" present "$desktop/Velloria.lnk"

# --- the program runs from the installed folder ---------------------------------------------
wine "$win_installed\\Lumaroo.exe" </dev/null >/dev/null 2>&1 &
program_pid=$!
window=""
for _ in $(seq 1 200); do
  window=$(xdotool search --name '^Velloria$' 2>/dev/null | head -n 1)
  [ -n "$window" ] && break
  sleep 0.1
done
check "Lumaroo.exe starts from the installed folder and shows its window" [ -n "$window" ]

# --- uninstall with the program running -----------------------------------------------------
wine "$win_installed\\Uninstall.exe" </dev/null >/dev/null 2>&1 &
uninstall_pid=$!
check "confirmation answered OK" press_return_in --name '^Velloria卸载程序$'
# The uninstaller closed the program before it asks to retry.
window=""
for _ in $(seq 1 200); do
  window=$(xdotool search --onlyvisible --name '^程序正在运行$' 2>/dev/null | head -n 1)
  [ -n "$window" ] && break
  sleep 0.1
done
check "the running-program question is asked" [ -n "$window" ]
wait_for_exit "$program_pid" 20
check "the running program was closed with exit code 2" [ $? -eq 2 ]
program_pid=""
check "Retry answered" press_return_in --name '^程序正在运行$'
check "final message answered" press_return_in --all --pid "$uninstall_pid" --name '^$'
wait_for_exit "$uninstall_pid" 20
check "Uninstall.exe ends with 0" [ $? -eq 0 ]
uninstall_pid=""

for file in Lumaroo.exe vlux_horizontal.dll vlux_vertical.dll res adb x64; do
  check "removed $file" no present "$installed/$file"
done
check "uninstall entry removed" no key_exists "$entry"
check "desktop shortcut removed" no present "$desktop/Velloria.lnk"
# Windows removes the link itself; Wine cannot remove a link to a folder that holds files.
start_menu_gone() { [ ! -e "$programs/Velloria" ] || [ -L "$programs/Velloria" ]; }
check "Start-menu folder removed, its link not followed" start_menu_gone
check "32-bit camera registration removed" no key_exists "$landscape_clsid" /reg:32
check "64-bit camera registration removed" no key_exists "$portrait_clsid" /reg:64
for bits in "${capture_bits[@]}"; do
  capture=$capture32
  [ $bits = 64 ] && capture=$capture64
  check "the $bits-bit capture tool no longer lists Velloria(横屏)" no lists_camera "$capture" 'Velloria(横屏)'
  check "the $bits-bit capture tool no longer lists Velloria(竖屏)" no lists_camera "$capture" 'Velloria(竖屏)'
done
check "the marker beside the installation survives" grep -qx keep "$marker_beside"
check "the marker behind the link survives" grep -qx keep "$outside/marker.txt"
check "the marker behind the Start-menu link survives" grep -qx keep "$start_menu_target/marker.txt"
check "the portable copy survives the installed uninstaller" grep -qx mine "$portable/notes.txt"
scheduled() { pending_removals | grep -qiF "$1"; }
check "the running uninstaller's own file goes at the next start" scheduled 'Velloria\Uninstall.exe'
wineboot -r </dev/null >/dev/null 2>&1
check "after a restart only the link is left in the folder" \
  [ "$(ls -A "$installed" 2>/dev/null)" = linked ]

# --- a copy on the desktop --------------------------------------------------------------------
cp "$program_dist/Uninstall.exe" "$desktop/Uninstall.exe"
mkdir -p "$desktop/keep-folder" && echo keep >"$desktop/keep-folder/inner.txt"
echo keep >"$desktop/keep-file.txt"
wine 'C:\users\'"$(id -un)"'\Desktop\Uninstall.exe' </dev/null >/dev/null 2>&1 &
uninstall_pid=$!
check "desktop copy: confirmation answered OK" press_return_in --name '^Velloria卸载程序$'
check "desktop copy: final message answered" press_return_in --all --pid "$uninstall_pid" --name '^$'
wait_for_exit "$uninstall_pid" 20
uninstall_pid=""
check "desktop copy deletes no file there" grep -qx keep "$desktop/keep-file.txt"
check "desktop copy deletes no folder there" grep -qx keep "$desktop/keep-folder/inner.txt"
check "desktop copy leaves itself" [ -f "$desktop/Uninstall.exe" ]
check "desktop copy schedules nothing for the next start" no scheduled 'Desktop'

echo "$failures failure(s)"
[ "$failures" -eq 0 ]
