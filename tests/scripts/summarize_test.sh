#!/usr/bin/env bash
# scripts/lib/summarize.py over a real CTest run: a GoogleTest program that ends before writing its
# results counts as failed even when its exit code is 0 (Wine can end a program that way); the
# cases of one that wrote them, and a script, count as passed. Also: this build tree names its
# GoogleTest programs for the summary. Usage: summarize_test.sh BUILD_TREE
set -u
root=$(cd "$(dirname "$0")/../.." && pwd)
tree=$1
status=0
fail() { echo "FAIL: $*"; status=1; }

grep -qx h264_decoder_test "$tree/gtest-programs.txt" ||
  fail "$tree/gtest-programs.txt does not name h264_decoder_test"
grep -qx summarize_test "$tree/gtest-programs.txt" && fail "a script is listed as a GoogleTest program"

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
mkdir -p "$work/src" "$work/tree/test-results"
cat >"$work/src/writes_results.sh" <<'EOF'
#!/bin/sh
cat >"$1" <<'XML'
<?xml version="1.0" encoding="UTF-8"?>
<testsuites tests="2" failures="0" name="AllTests">
  <testsuite name="Case" tests="2" failures="0">
    <testcase name="One" status="run" result="completed"/>
    <testcase name="Two" status="run" result="completed"/>
  </testsuite>
</testsuites>
XML
EOF
printf '#!/bin/sh\nexit 0\n' >"$work/src/ends_early.sh"
printf '#!/bin/sh\nexit 0\n' >"$work/src/script.sh"
chmod +x "$work/src/"*.sh
cat >"$work/src/CMakeLists.txt" <<EOF
cmake_minimum_required(VERSION 3.13)
project(summary_check NONE)
enable_testing()
add_test(NAME whole COMMAND "$work/src/writes_results.sh" "$work/tree/test-results/whole.xml")
add_test(NAME early COMMAND "$work/src/ends_early.sh")
add_test(NAME script COMMAND "$work/src/script.sh")
EOF
cmake -S "$work/src" -B "$work/tree" >/dev/null || fail "the scratch project does not configure"
printf 'whole\nearly\n' >"$work/tree/gtest-programs.txt"
ctest --test-dir "$work/tree" --output-junit "$work/tree/test-results/ctest.xml" >/dev/null ||
  fail "CTest itself should see three passing tests"

output=$(python3 "$root/scripts/lib/summarize.py" "$work/tree" 2>"$work/errors")
code=$?
[ "$output" = "3 passed, 1 failed" ] || fail "summary: '$output', expected '3 passed, 1 failed'"
[ "$code" = 1 ] || fail "exit code $code, expected 1"
grep -q "early ended without writing its results" "$work/errors" ||
  fail "the early end is not named: $(cat "$work/errors")"
[ $status = 0 ] && echo "summarize_test: passed"
exit $status
