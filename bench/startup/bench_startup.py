#!/usr/bin/env python3
"""Start-up benchmark: process start to the main window's first painted frame.

Runs cvd-startup-bench RUNS times on a private Xvfb (or $DISPLAY with --use-display) and
reports two figures per run: the program's own count from its start tick (the figure the goal
of 150 ms is about) and the wall time from spawning the process to that line (exec, dynamic
linking and static initialisation included). Prints the median and the spread.

usage: bench_startup.py [--runs N] [--bench PATH] [--skin SKIN] [--use-display] [--no-at-bridge]
SKIN is the packed skin (build/skin.zip, the bytes the installer carries) or a built installer.
"""
import argparse, os, statistics, subprocess, sys, time, pathlib

ROOT = pathlib.Path(__file__).resolve().parents[2]


def free_display():
    for n in range(300, 400):
        if not os.path.exists(f"/tmp/.X{n}-lock") and not os.path.exists(f"/tmp/.X11-unix/X{n}"):
            return n
    raise SystemExit("no free display number")


def main():
    ap = argparse.ArgumentParser()
    ap.add_argument("--runs", type=int, default=15)
    ap.add_argument("--bench", default=str(ROOT / "build/bin/cvd-startup-bench"))
    ap.add_argument("--skin", default=str(ROOT / "build/skin.zip"))
    ap.add_argument("--no-at-bridge", action="store_true",
                    help="skip the accessibility bridge (no session bus under Xvfb)")
    ap.add_argument("--use-display", action="store_true")
    a = ap.parse_args()
    for p in (a.bench, a.skin):
        if not os.path.exists(p):
            raise SystemExit(f"missing {p}; cmake --build build --target cvd-startup-bench cvdownloader (which packs build/skin.zip)")
    xvfb = None
    env = dict(os.environ)
    if not a.use_display:
        n = free_display()
        xvfb = subprocess.Popen(["Xvfb", f":{n}", "-screen", "0", "1280x1024x24", "-nolisten", "tcp"],
                                stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        for _ in range(100):
            if os.path.exists(f"/tmp/.X11-unix/X{n}"):
                break
            time.sleep(0.05)
        env["DISPLAY"] = f":{n}"
    env["GSETTINGS_BACKEND"] = "memory"
    if a.no_at_bridge:
        env["NO_AT_BRIDGE"] = "1"
    inner, wall = [], []
    try:
        for i in range(a.runs + 1):
            t0 = time.monotonic()
            p = subprocess.Popen([a.bench, a.skin], stdout=subprocess.PIPE, stderr=subprocess.DEVNULL,
                                 env=env, text=True)
            line = p.stdout.readline()
            t1 = time.monotonic()
            p.wait(timeout=30)
            if not line.startswith("first-frame-ms"):
                raise SystemExit(f"unexpected output: {line!r}")
            if i == 0:
                continue  # the first run warms the page cache and the font cache
            inner.append(int(line.split()[1]))
            wall.append((t1 - t0) * 1000)
    finally:
        if xvfb:
            xvfb.terminate()
            xvfb.wait()
    print(f"runs {len(inner)}")
    print(f"start tick -> first frame: median {statistics.median(inner):.0f} ms "
          f"(min {min(inner)}, max {max(inner)})")
    print(f"spawn -> first frame:      median {statistics.median(wall):.0f} ms "
          f"(min {min(wall):.0f}, max {max(wall):.0f})")


if __name__ == "__main__":
    sys.exit(main())
