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

vl_log() { printf '[%s] %s\n' "$(basename "$0")" "$*" >&2; }

if [ "$(id -u)" -eq 0 ]; then VL_SUDO=""; else VL_SUDO="sudo"; fi
