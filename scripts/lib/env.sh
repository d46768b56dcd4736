# Shared environment of the project scripts: where the caches live and how Wine runs.
# Sourced, never executed.

VL_ROOT=$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)
export VL_ROOT
# Built dependencies live outside the repository so that clean clones reuse them.
export VL_CACHE=${VL_CACHE:-$HOME/.cache/velloria}
export VL_DEPS=${VL_DEPS:-$VL_CACHE/deps}
# One Wine prefix per checkout: tests register COM servers, and two checkouts must not
# see each other's registrations.
vl_checkout_key=$(printf '%s' "$VL_ROOT" | md5sum | cut -c1-10)
export WINEPREFIX=${WINEPREFIX:-$VL_CACHE/wine-$vl_checkout_key}
export WINEARCH=win64
export WINEDEBUG=${WINEDEBUG:--all}
# winemenubuilder would copy shortcuts made under Wine into the Unix desktop menus.
export WINEDLLOVERRIDES=${WINEDLLOVERRIDES:-"winealsa.drv,winepulse.drv,mscoree,mshtml,winemenubuilder.exe=d"}
# The target systems run with the Chinese ANSI code page (936).
export LANG=zh_CN.UTF-8
export LC_ALL=
export VL_BUILD=${VL_BUILD:-$VL_ROOT/build}

# Wine's 32-bit loader is itself a 32-bit Linux program. Some kernels run no 32-bit code (32-bit
# emulation switched off: "Exec format error"); there Wine runs with its 64-bit loader alone, no
# 32-bit Windows program can start, and the tests, the demo and the measurements use the x86_64
# build of every program. VL_WIN_TREE names the Windows tree whose programs run on this machine,
# VL_PROGRAM_DIST the program's layout (as installed) built in it, VL_REGSVR32 the registrar of
# its camera modules.
# Called again by the scripts after scripts/setup, which installs the 32-bit loader.
vl_choose_wine() {
  if [ -e /lib/ld-linux.so.2 ] && ! /lib/ld-linux.so.2 --version >/dev/null 2>&1; then
    export VL_RUNS_32BIT=0 VL_WIN_TREE=win64 VL_PROGRAM_DIST=$VL_ROOT/dist/win64-program
    export VL_REGSVR32=C:/windows/system32/regsvr32.exe
    case ":$PATH:" in
      *":$VL_ROOT/scripts/lib/wine64-loader:"*) ;;
      *) export PATH="$VL_ROOT/scripts/lib/wine64-loader:$PATH" ;;
    esac
  else
    export VL_RUNS_32BIT=1 VL_WIN_TREE=win32 VL_PROGRAM_DIST=$VL_ROOT/dist/win32
    export VL_REGSVR32=C:/windows/syswow64/regsvr32.exe
  fi
}
vl_choose_wine

vl_log() { printf '[%s] %s\n' "$(basename "$0")" "$*" >&2; }

if [ "$(id -u)" -eq 0 ]; then VL_SUDO=""; else VL_SUDO="sudo"; fi
