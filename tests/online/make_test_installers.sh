#!/usr/bin/env bash
# Makes the update tests' installers from the stand-in programs: the offered installer signed by
# the build's publisher, by a stranger, not at all, signed then altered by one byte, and signed
# with our key in an untrusted certificate; an older installer and another of our programs, both
# signed by the publisher.
# Usage: make_test_installers.sh <installer.exe> <old-installer.exe> <other-program.exe>
#                                <signing dir> <out dir>
set -euo pipefail
exe=$1 old=$2 other=$3 keys=$4 out=$5
mkdir -p "$out"
sign() {  # sign CERTS KEY IN OUT
  rm -f "$4"
  osslsigncode sign -certs "$keys/$1" -key "$keys/$2" -h sha256 -n "Velloria" \
    -in "$3" -out "$4" >/dev/null
}
cp "$exe" "$out/unsigned.exe"
sign publisher-chain.crt publisher.key "$exe" "$out/signed.exe"
sign stranger-chain.crt stranger.key "$exe" "$out/stranger.exe"
sign rogue.crt publisher.key "$exe" "$out/rogue.exe"
sign publisher-chain.crt publisher.key "$old" "$out/old.exe"
sign publisher-chain.crt publisher.key "$other" "$out/other-program.exe"
cp "$out/signed.exe" "$out/altered.exe"
# One byte of the first section (the code), which the signature's digest covers.
byte=$(od -An -tu1 -j 1100 -N1 "$out/altered.exe" | tr -d ' ')
printf "$(printf '\\%03o' $(((byte + 1) % 256)))" |
  dd of="$out/altered.exe" bs=1 seek=1100 conv=notrunc status=none
