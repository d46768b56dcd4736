"""Counts test results over the build trees and prints "N passed, N failed".

A CTest test that ran a GoogleTest program counts as its test cases (from the program's XML);
one that crashed or timed out after its cases passed counts one failure more, and one that wrote
no XML (it ended before its last case, perhaps with exit code 0) counts as one failure. The tree's
gtest-programs.txt, written when it is configured, names the GoogleTest programs. Any other CTest
test (a script) counts as one. A test that failed and was run once more (again.xml beside
ctest.xml) counts as that second run ended, and is named on the error output.
"""
import os
import sys
import xml.etree.ElementTree as ET


def gtest_counts(path):
    root = ET.parse(path).getroot()
    passed = failed = skipped = 0
    for case in root.iter("testcase"):
        if case.find("failure") is not None:
            failed += 1
        elif case.get("result") == "skipped" or case.find("skipped") is not None:
            skipped += 1
        else:
            passed += 1
    return passed, failed, skipped


def main(trees):
    passed = failed = skipped = 0
    for tree in trees:
        results = os.path.join(tree, "test-results")
        junit = os.path.join(results, "ctest.xml")
        if not os.path.exists(junit):
            print(f"{tree}: no test results", file=sys.stderr)
            failed += 1
            continue
        programs = set()
        listed = os.path.join(tree, "gtest-programs.txt")
        if os.path.exists(listed):
            with open(listed, encoding="utf-8") as f:
                programs = {line.strip() for line in f if line.strip()}
        again = {}
        again_xml = os.path.join(results, "again.xml")
        if os.path.exists(again_xml):
            again = {c.get("name"): c for c in ET.parse(again_xml).getroot().iter("testcase")}
        for case in ET.parse(junit).getroot().iter("testcase"):
            name = case.get("name")
            if name in again:
                case = again[name]
            ok = case.get("status") not in ("fail",) and case.find("failure") is None
            if case.get("status") == "notrun" or case.find("skipped") is not None:
                ok = False
            if name in again:
                verdict = "passed" if ok else "failed again"
                print(f"{os.path.basename(tree)}: {name} failed, then {verdict} when run once more",
                      file=sys.stderr)
            gtest_xml = os.path.join(results, name + ".xml")
            if os.path.exists(gtest_xml):
                try:
                    p, f, s = gtest_counts(gtest_xml)
                except ET.ParseError:
                    p, f, s = 0, 1, 0
                passed, failed, skipped = passed + p, failed + f, skipped + s
                if not ok and f == 0:
                    print(f"{os.path.basename(tree)}: {name} ended abnormally", file=sys.stderr)
                    failed += 1
            elif name in programs:
                print(f"{os.path.basename(tree)}: {name} ended without writing its results",
                      file=sys.stderr)
                failed += 1
            elif ok:
                passed += 1
            else:
                print(f"{os.path.basename(tree)}: {name} failed", file=sys.stderr)
                failed += 1
    line = f"{passed} passed, {failed} failed"
    if skipped:
        line += f", {skipped} skipped"
    print(line)
    return 1 if failed else 0


if __name__ == "__main__":
    sys.exit(main(sys.argv[1:]))
