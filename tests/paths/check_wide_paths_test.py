#!/usr/bin/env python3
"""The narrow-path checker reports exactly the lines of its fixture marked "narrow: RULE"."""
import os
import re
import subprocess
import sys

HERE = os.path.dirname(os.path.abspath(__file__))
CHECKER = os.path.join(HERE, "..", "..", "scripts", "check-wide-paths.py")
FIXTURE = os.path.join(HERE, "fixtures")


def expected():
    marks = set()
    for name in sorted(os.listdir(FIXTURE)):
        with open(os.path.join(FIXTURE, name), encoding="utf-8") as f:
            for number, line in enumerate(f, 1):
                m = re.search(r"// narrow: ([\w-]+)", line)
                if m:
                    marks.add((name, number, m.group(1)))
    return marks


def reported():
    run = subprocess.run([sys.executable, CHECKER, FIXTURE], capture_output=True, text=True)
    found = set()
    for line in run.stdout.splitlines():
        path, number, rule, _ = line.split(":", 3)
        found.add((os.path.basename(path), int(number), rule.strip()))
    return run.returncode, found


def main():
    want = expected()
    code, got = reported()
    missed, extra = sorted(want - got), sorted(got - want)
    for m in missed:
        print("not reported: %s:%d %s" % m)
    for e in extra:
        print("reported but allowed: %s:%d %s" % e)
    if code != 1:
        print("exit status %d, expected 1" % code)
    clean = subprocess.run([sys.executable, CHECKER, os.path.join(HERE, "..", "..", "scripts")],
                           capture_output=True, text=True)
    if clean.returncode != 0:
        print("a folder without C++ sources must pass")
    ok = not missed and not extra and code == 1 and clean.returncode == 0
    print("%d passed, %d failed" % ((1, 0) if ok else (0, 1)))
    return 0 if ok else 1


if __name__ == "__main__":
    sys.exit(main())
