#!/usr/bin/env bash
# The build's step that lays Android's platform tools into dist/win32/adb/
# (scripts/lib/platform_tools.py), with stand-ins made by the build (a mingw program as adb.exe,
# an empty mingw DLL as each USB library): from a folder, from a zip as Google packs it and from
# a zip with the files at its top; refused, with one line and nothing laid out, when a file is
# missing, is not a PE file, is cut short, or is a DLL where a program belongs; an archive's
# other paths never reach the disk; without a source, one line and nothing laid out. And the
# build's own dist/win32/adb/ never holds the fake adb.
# Usage: platform_tools_test.sh STAND_IN_FOLDER
set -u
stand_ins=$1
source "$(dirname "$0")/../../scripts/lib/env.sh"
layout="$VL_ROOT/scripts/lib/platform_tools.py"
files=(adb.exe AdbWinApi.dll AdbWinUsbApi.dll)
for f in "${files[@]}"; do
  [ -f "$stand_ins/$f" ] || { echo "FAIL: $stand_ins/$f is missing (the build makes it)"; exit 1; }
done

work=$(mktemp -d /tmp/vl-platform-tools-XXXXXX)
trap 'rm -rf "$work"' EXIT
failures=0

# A source folder named $1 holding the stand-ins, then changed by the caller.
folder() {
  mkdir -p "$work/$1"
  cp "$stand_ins"/* "$work/$1/"
  echo "$work/$1"
}
# A zip of the stand-ins, under the folder name $2 inside ("" for the top).
zipped() {
  local name=$1 inner=$2
  mkdir -p "$work/z-$name/$inner"
  cp "$stand_ins"/* "$work/z-$name/$inner/"
  (cd "$work/z-$name" && python3 -m zipfile -c "$work/$name.zip" ./*) >/dev/null
  echo "$work/$name.zip"
}

src_folder=$(folder good)
src_google_zip=$(zipped google platform-tools)
src_top_zip=$(zipped top "")
src_missing=$(folder missing) && rm "$src_missing/AdbWinUsbApi.dll"
src_text=$(folder text) && echo "not a library" >"$src_text/AdbWinApi.dll"
src_cut=$(folder cut) && head -c 64 "$stand_ins/adb.exe" >"$src_cut/adb.exe"
src_dll_as_adb=$(folder dll) && cp "$stand_ins/AdbWinApi.dll" "$src_dll_as_adb/adb.exe"
# An archive whose only copies of the files lie outside the two places they may be.
python3 - "$work/escape.zip" "$stand_ins" <<'EOF'
import sys, zipfile
with zipfile.ZipFile(sys.argv[1], "w") as z:
    for name in ("adb.exe", "AdbWinApi.dll", "AdbWinUsbApi.dll"):
        z.write(f"{sys.argv[2]}/{name}", f"../{name}")
        z.write(f"{sys.argv[2]}/{name}", f"deep/er/{name}")
EOF

# name | source | exit status | what the one line says | laid out
cases=(
  "folder|$src_folder|0|laid out in|yes"
  "zip as Google packs it|$src_google_zip|0|laid out in|yes"
  "zip with the files at its top|$src_top_zip|0|laid out in|yes"
  "missing USB library|$src_missing|1|lacks AdbWinUsbApi.dll|no"
  "text file as a DLL|$src_text|1|AdbWinApi.dll in $src_text is not a Windows program or DLL (no MZ header)|no"
  "program cut short|$src_cut|1|adb.exe in $src_cut is not a Windows program or DLL (no PE header)|no"
  "DLL as adb.exe|$src_dll_as_adb|1|adb.exe in $src_dll_as_adb is a DLL, not a program|no"
  "archive paths outside|$work/escape.zip|1|lacks adb.exe, AdbWinApi.dll, AdbWinUsbApi.dll|no"
  "no such source|$work/nowhere|1|is neither a folder nor a zip archive|no"
  "no source at all||0|VL_PLATFORM_TOOLS is not set|no"
)
for c in "${cases[@]}"; do
  IFS='|' read -r name source status says laid_out <<<"$c"
  dest="$work/dest-$RANDOM"
  mkdir -p "$dest"
  message=$(python3 "$layout" "$source" "$dest" 2>&1)
  rc=$?
  ok=1
  [ "$rc" -eq "$status" ] || { echo "  exit status $rc, not $status"; ok=0; }
  [ "$(printf '%s\n' "$message" | wc -l)" -eq 1 ] || { echo "  not one line: $message"; ok=0; }
  grep -qF -- "$says" <<<"$message" || { echo "  says: $message"; ok=0; }
  for f in "${files[@]}"; do
    if [ "$laid_out" = yes ]; then
      cmp -s "$stand_ins/$f" "$dest/$f" || { echo "  $f not laid out as given"; ok=0; }
    elif [ -e "$dest/$f" ]; then
      echo "  $f laid out although refused"
      ok=0
    fi
  done
  [ "$(ls -A "$dest")" = "$( [ "$laid_out" = yes ] && ls -A "$stand_ins")" ] ||
    { echo "  the folder holds: $(ls -A "$dest")"; ok=0; }
  if [ "$ok" -eq 1 ]; then echo "ok: $name"; else echo "FAIL: $name"; failures=$((failures + 1)); fi
done
[ ! -e "$work/adb.exe" ] && [ ! -e "$(dirname "$work")/adb.exe" ] ||
  { echo "FAIL: an archive path escaped"; failures=$((failures + 1)); }
# What the build laid out for users never holds the tests' fake adb.
if cmp -s "$stand_ins/adb.exe" "$VL_ROOT/dist/win32/adb/adb.exe"; then
  echo "FAIL: dist/win32/adb/adb.exe is the fake adb"
  failures=$((failures + 1))
else
  echo "ok: dist/win32/adb holds no fake adb"
fi

echo "$failures failure(s)"
[ "$failures" -eq 0 ]
