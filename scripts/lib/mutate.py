"""Plants the mutants of a list one at a time and tells which the tests kill.

A list holds one mutant a line, fields separated by " ;; ":
    file ;; text ;; replacement ;; ctest regex of the tests that cover it
`text` is taken literally and must occur exactly once in `file`; `replacement` takes its place.
Blank lines and lines starting with "#" are comments (dropped mutants stay there with the
reason). For each mutant: save the file, plant the mutant, rebuild the targets the covering
tests run, run those tests (a failure or a timeout kills the mutant), write the saved content
back. A copy of the original is kept in the build tree until it is restored, so a run ended by
force is mended by the next one.

Usage: mutate.py LIST BUILD_DIR [--timeout SECONDS]
"""
import argparse
import json
import os
import signal
import subprocess
import sys
import time

ROOT = os.path.dirname(os.path.dirname(os.path.dirname(os.path.abspath(__file__))))


class Mutant:
    def __init__(self, line_no, path, text, replacement, tests):
        self.line_no, self.path, self.text = line_no, path, text
        self.replacement, self.tests = replacement, tests

    def name(self):
        return f"{self.path}:{self.line_no}: {self.text.strip()} -> {self.replacement.strip()}"


def read_list(list_path):
    mutants = []
    with open(list_path, encoding="utf-8") as f:
        for n, line in enumerate(f, 1):
            line = line.rstrip("\n")
            if not line.strip() or line.lstrip().startswith("#"):
                continue
            fields = line.split(" ;; ")
            if len(fields) != 4:
                sys.exit(f"{list_path}:{n}: expected 4 fields separated by ' ;; '")
            mutants.append(Mutant(n, *(x.strip() if i in (0, 3) else x
                                       for i, x in enumerate(fields))))
    return mutants


class Planter:
    """Writes one mutant into a source file and always puts the original back."""

    def __init__(self, build_dir):
        self.saved_dir = os.path.join(build_dir, "mutate-saved")
        self.current = None  # (path, original bytes)

    def recover(self):
        # Originals left by a run that was killed before it could restore them.
        for top, _, files in os.walk(self.saved_dir):
            for name in files:
                saved = os.path.join(top, name)
                rel = os.path.relpath(saved, self.saved_dir)
                with open(saved, "rb") as f:
                    self._write(os.path.join(ROOT, rel), f.read())
                os.remove(saved)
                print(f"mutate: restored {rel} left changed by an earlier run", file=sys.stderr)

    def plant(self, mutant):
        path = os.path.join(ROOT, mutant.path)
        with open(path, "rb") as f:
            original = f.read()
        text, replacement = mutant.text.encode(), mutant.replacement.encode()
        count = original.count(text)
        if count != 1:
            return f"the text occurs {count} times in {mutant.path}"
        saved = os.path.join(self.saved_dir, mutant.path)
        os.makedirs(os.path.dirname(saved), exist_ok=True)
        with open(saved, "wb") as f:
            f.write(original)
        self.current = (path, original, saved)
        self._write(path, original.replace(text, replacement))
        return None

    def restore(self):
        if self.current is None:
            return
        path, original, saved = self.current
        self._write(path, original)
        os.remove(saved)
        self.current = None

    @staticmethod
    def _write(path, content):
        with open(path, "wb") as f:
            f.write(content)
        # Newer than anything built from the mutant, so the next build compiles it again.
        now = time.time()
        os.utime(path, (now, now))


def known_targets(build_dir):
    out = subprocess.run(["ninja", "-C", build_dir, "-t", "targets", "all"], capture_output=True,
                         text=True, check=True).stdout
    return {line.split(":")[0] for line in out.splitlines()}


def targets_for(build_dir, regex, targets):
    """The targets whose programs the tests matching `regex` run; None: build everything."""
    out = subprocess.run(["ctest", "--test-dir", build_dir, "-R", regex,
                          "--show-only=json-v1"], capture_output=True, text=True, check=True)
    tests = json.loads(out.stdout)["tests"]
    if not tests:
        sys.exit(f"mutate: no test matches {regex!r} in {build_dir}")
    wanted = set()
    for test in tests:
        found = False
        for arg in test.get("command") or []:
            stem = os.path.basename(arg)
            stem = stem[:-4] if stem.endswith(".exe") else stem
            if os.path.isabs(arg) and stem in targets:
                wanted.add(stem)
                found = True
        if not found and test["name"] in targets:
            # Not built yet, so CTest names no program: a test added by vl_add_gtest is its target.
            wanted.add(test["name"])
            found = True
        if not found:
            return None
    return sorted(wanted)


def build(build_dir, wanted):
    command = ["cmake", "--build", build_dir]
    if wanted is not None:
        command += ["--target", *wanted]
    return subprocess.run(command, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL).returncode


def run_tests(build_dir, regex, timeout):
    command = ["ctest", "--test-dir", build_dir, "-R", regex, "--timeout", str(timeout),
               "--stop-on-failure", "--no-tests=error"]
    try:
        result = subprocess.run(command, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL,
                                timeout=timeout * 4)
    except subprocess.TimeoutExpired:
        return "killed (timeout)"
    return "killed" if result.returncode != 0 else "SURVIVED"


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("list")
    parser.add_argument("build_dir")
    parser.add_argument("--timeout", type=int, default=180)
    args = parser.parse_args()
    mutants = read_list(args.list)
    planter = Planter(args.build_dir)

    def stop(signum, _frame):
        planter.restore()
        sys.exit(128 + signum)

    signal.signal(signal.SIGINT, stop)
    signal.signal(signal.SIGTERM, stop)
    signal.signal(signal.SIGHUP, stop)
    planter.recover()

    # Configured again first: the lists of tests and targets follow the current CMake files.
    subprocess.run(["cmake", args.build_dir], stdout=subprocess.DEVNULL, check=True)
    targets = known_targets(args.build_dir)
    plans = {m.tests: targets_for(args.build_dir, m.tests, targets) for m in mutants}
    # The unmutated code must build and pass the covering tests, or no verdict would mean much.
    everything = "|".join(sorted(set(plans)))
    every_target = None if None in plans.values() else sorted(set().union(*plans.values()))
    if build(args.build_dir, every_target) != 0:
        sys.exit("mutate: the unmutated tree does not build")
    if run_tests(args.build_dir, everything, args.timeout) != "SURVIVED":
        sys.exit(f"mutate: the covering tests fail without any mutant: ctest -R '{everything}'")

    killed = total = 0
    survivors, broken = [], []
    try:
        for m in mutants:
            problem = planter.plant(m)
            if problem is None:
                if build(args.build_dir, plans[m.tests]) != 0:
                    problem = "does not build"
                else:
                    verdict = run_tests(args.build_dir, m.tests, args.timeout)
            planter.restore()
            if problem is not None:
                print(f"BROKEN    {m.name()}: {problem}", flush=True)
                broken.append(m)
                continue
            total += 1
            if verdict.startswith("killed"):
                killed += 1
            else:
                survivors.append(m)
            print(f"{verdict:<9} {m.name()}  [{m.tests}]", flush=True)
    finally:
        planter.restore()
    # Leave the tree built from the original sources.
    build(args.build_dir, every_target)
    for m in survivors:
        print(f"survivor: {m.name()}")
    percent = 100.0 * killed / total if total else 0.0
    print(f"mutation: {killed}/{total} killed ({percent:.1f}%)")
    return 1 if broken else 0


if __name__ == "__main__":
    sys.exit(main())
