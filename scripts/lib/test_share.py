"""Prints the tests' share of the C++ code:
    tests: <T> of <A> non-blank C++ lines (<percent>%)
T counts tests/, A every folder of the checkout: the product, tools, benchmarks, fuzzing and
tests, but not the build trees and what they lay out (build/, dist/). Lines holding only white
space are not counted; files are .cpp, .h, .c and .hpp.
"""
import os
import sys

ROOT = os.path.dirname(os.path.dirname(os.path.dirname(os.path.abspath(__file__))))
OUTPUTS = ("build", "dist")
EXTENSIONS = (".cpp", ".h", ".c", ".hpp")


def non_blank_lines(top):
    count = 0
    for folder, _, files in os.walk(os.path.join(ROOT, top)):
        for name in files:
            if name.endswith(EXTENSIONS):
                with open(os.path.join(folder, name), encoding="utf-8", errors="replace") as f:
                    count += sum(1 for line in f if line.strip())
    return count


def main():
    tests = non_blank_lines("tests")
    tops = [name for name in os.listdir(ROOT) if os.path.isdir(os.path.join(ROOT, name)) and
            not name.startswith(".") and not name.startswith(OUTPUTS)]
    everything = sum(non_blank_lines(top) for top in tops)
    print(f"tests: {tests} of {everything} non-blank C++ lines ({100.0 * tests / everything:.1f}%)")
    return 0


if __name__ == "__main__":
    sys.exit(main())
