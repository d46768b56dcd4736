#!/usr/bin/env bash
# The program's and the uninstaller's version resources come from the project's one version
# (the generated vl_version.h, VL_VERSION_DIR): compiled against a header that says 7.6.5.4, both resources say
# 7.6.5.4, in the fixed and in the text version. The installer and its uninstall entry take the
# program's version (installer_roundtrip_test.sh checks the entry against the installed file).
# Usage: version_source_test.sh <source dir>
set -u
src=$1
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
failures=0
printf '#pragma once\n#define VL_VERSION_COMMA 7,6,5,4\n#define VL_VERSION_TEXT "7.6.5.4"\n' \
  >"$work/vl_version.h"
# The uninstaller's resources name its icon, rendered at build time: any icon does here.
convert -size 16x16 xc:red "$work/lumaroo.ico" 2>/dev/null || { echo "FAIL: no convert"; exit 1; }
for rc in app/res/lumaroo.rc uninstall/res/uninstall.rc; do
  if ! i686-w64-mingw32-windres -I "$work" -I "$src" -I "$src/$(dirname "$rc")" \
    -i "$src/$rc" -o "$work/out.res" -O res 2>"$work/err"; then
    echo "FAIL: $rc does not compile"; cat "$work/err"; failures=$((failures + 1)); continue
  fi
  i686-w64-mingw32-windres -i "$work/out.res" -J res -O rc -o "$work/out.rc" 2>/dev/null
  text=$(tr -d '\0' <"$work/out.rc")
  for want in 'FILEVERSION 7, 6, 5, 4' 'PRODUCTVERSION 7, 6, 5, 4' '"FileVersion", "7.6.5.4"' \
    '"ProductVersion", "7.6.5.4"'; do
    if grep -qF "$want" <<<"$text"; then echo "ok: $rc has $want"; else
      echo "FAIL: $rc lacks $want"; failures=$((failures + 1)); fi
  done
done
echo "$failures failure(s)"
[ "$failures" -eq 0 ]
