#!/usr/bin/env bash
# Makes the update tests' installers from one small program: signed by the build's publisher,
# signed by a stranger, unsigned, and signed then altered by one byte.
# Usage: make_test_installers.sh <program.exe> <signing dir> <out dir>
set -euo pipefail
exe=$1 keys=$2 out=$3
mkdir -p "$out"
sign() {
  rm -f "$3"
  osslsigncode sign -certs "$keys/$1.crt" -key "$keys/$1.key" -h sha256 -n "Velloria" \
    -in "$2" -out "$3" >/dev/null
}
cp "$exe" "$out/unsigned.exe"
sign publisher "$exe" "$out/signed.exe"
sign stranger "$exe" "$out/stranger.exe"
cp "$out/signed.exe" "$out/altered.exe"
# One byte of the first section (the code), which the signature's digest covers.
byte=$(od -An -tu1 -j 1100 -N1 "$out/altered.exe" | tr -d ' ')
printf "$(printf '\\%03o' $(((byte + 1) % 256)))" |
  dd of="$out/altered.exe" bs=1 seek=1100 conv=notrunc status=none
