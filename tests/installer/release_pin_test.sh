#!/usr/bin/env bash
# A release build refuses to go on without the update publisher's key: scripts/build --release
# stops before building anything, and a release configuration fails without a well-formed key.
# With one it configures, and makes no test signers (whose private keys would sit in the tree).
# Usage: release_pin_test.sh <source dir>
set -u
src=$1
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
failures=0
check() {  # check DESCRIPTION COMMAND...
  local what=$1
  shift
  if "$@"; then echo "ok: $what"; else echo "FAIL: $what"; failures=$((failures + 1)); fi
}
no() { ! "$@"; }

env -u VL_PUBLISHER_KEY_SHA256 VL_BUILD="$work/build" "$src/scripts/build" --release \
  >"$work/build.log" 2>&1
status=$?
check "scripts/build --release without a key fails" [ $status -ne 0 ]
check "and says why" grep -q 'VL_PUBLISHER_KEY_SHA256' "$work/build.log"
check "and configured nothing" no test -e "$work/build"

configure() {  # configure NAME ARGS...: a native release configuration of its own
  local name=$1
  shift
  cmake -S "$src" -B "$work/$name" -G Ninja -DVL_RELEASE=ON "$@" >"$work/$name.log" 2>&1
}
configure none
check "a release configuration without a key fails" [ $? -ne 0 ]
check "naming the key it needs" grep -q 'VL_PUBLISHER_KEY_SHA256' "$work/none.log"
configure short -DVL_PUBLISHER_KEY_SHA256=abc123
check "a key that is not 64 hexadecimal digits is refused" [ $? -ne 0 ]
configure good -DVL_PUBLISHER_KEY_SHA256="$(printf 'a%.0s' $(seq 64))"
check "a release configuration with a key succeeds" [ $? -eq 0 ]
check "and makes no test signers" no test -e "$work/good/signing"
echo "$failures failure(s)"
[ "$failures" -eq 0 ]
