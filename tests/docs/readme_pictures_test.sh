#!/usr/bin/env bash
# Every picture the README and the docs show is one that scripts/docs-pictures makes from the
# program (so none can go stale by being made by hand), and every one it makes is there.
set -u
root=$(cd "$(dirname "$0")/../.." && pwd)
made=$(bash "$root/scripts/docs-pictures" --list | sort -u)
# Every Markdown file of the sources (not the build trees, the demo's output or dist).
pages=$(find "$root" \( -name build -o -name out -o -name dist -o -name .git \) -prune -o \
  -name '*.md' -print)
shown=$(cat $pages | grep -oE 'docs/[A-Za-z0-9._-]+\.png' | sed 's#^docs/##' | sort -u)
status=0
for picture in $shown; do
  grep -qx "$picture" <<<"$made" || { echo "FAIL: docs/$picture is shown but not made by scripts/docs-pictures"; status=1; }
done
for picture in $made; do
  [ -f "$root/docs/$picture" ] || { echo "FAIL: docs/$picture is missing"; status=1; }
  grep -qx "$picture" <<<"$shown" || { echo "FAIL: docs/$picture is made but shown nowhere"; status=1; }
done
for file in "$root"/docs/*.png; do
  grep -qx "$(basename "$file")" <<<"$made" || { echo "FAIL: $file is made by nothing"; status=1; }
done
[ $status -eq 0 ] && echo "$(wc -l <<<"$made") pictures, all made by scripts/docs-pictures"
exit $status
