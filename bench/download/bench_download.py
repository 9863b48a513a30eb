#!/usr/bin/env python3
"""Download benchmark: cvd-fetch against aria2c and curl on the same 1 GiB file from the same
nginx test stand (HTTPS on loopback), in one run, (a) unthrottled and (b) with a per-connection
limit of 20 MB/s. aria2c uses the same connection count as cvd-fetch's workers, -k 4M and an
equal -s. Prints wall time, CPU time (user + system) and peak memory (max RSS) per tool and the
ratios to aria2c, the voluntary context switches (how often the tool slept and woke), and checks
every downloaded file's MD5, and one line setting cvd-fetch's capped run against its own
unthrottled CPU, aria2c and the cap's limit (the wall time 20 MiB/s per connection allows). Then
the same file from Apache httpd (HTTP, unthrottled) and from a server without ranges (Python's
http.server: cvd-fetch's single-stream fallback against curl), and the MD5 check's throughput
(cvd_md5_bench on the page-cached file) against `openssl speed md5`.

On a shared two-core machine one run of a tool varies by a quarter in CPU time, so each tool runs
--runs times, the tools taking turns, and every figure is the median of its runs.

Usage: bench_download.py [--cvd-fetch PATH] [--md5-bench PATH] [--size BYTES] [--runs N]
                         [--workdir DIR] [--skip-nginx]
"""
import argparse
import hashlib
import os
import shutil
import statistics
import subprocess
import sys
import tempfile
import time

HERE = os.path.dirname(os.path.abspath(__file__))
STAND = os.path.join(HERE, "..", "..", "tests", "support", "cdn", "cdn_stand.py")
WEBSERVER = os.path.join(HERE, "..", "..", "tests", "support", "webserver.py")


def make_file(path, size):
    digest = hashlib.md5()
    with open(path, "wb") as out:
        left = size
        while left:
            block = os.urandom(min(left, 8 << 20))
            digest.update(block)
            out.write(block)
            left -= len(block)
    return digest.hexdigest()


def md5_of(path):
    digest = hashlib.md5()
    with open(path, "rb") as f:
        for block in iter(lambda: f.read(8 << 20), b""):
            digest.update(block)
    return digest.hexdigest()


class ServerProcess:
    """A test server script on loopback that prints its port first; stopped with stop()."""

    def __init__(self, args, scheme):
        self.process = subprocess.Popen([sys.executable] + args + ["--lifetime", "1800"],
                                        stdout=subprocess.PIPE, text=True)
        self.port = int(self.process.stdout.readline().split()[1])
        self.scheme = scheme

    def url(self, name):
        return f"{self.scheme}://127.0.0.1:{self.port}/{name}"

    def stop(self):
        self.process.terminate()
        self.process.wait(timeout=20)


class Stand(ServerProcess):
    """The nginx test stand (HTTPS), optionally with a per-connection rate limit."""

    def __init__(self, root, prefix, limit_rate=None):
        args = [STAND, "--root", root, "--prefix", prefix]
        if limit_rate:
            args += ["--limit-rate", limit_rate]
        super().__init__(args, "https")


class WebStand(ServerProcess):
    """Apache httpd or Python's http.server on loopback (HTTP only)."""

    def __init__(self, kind, root, prefix):
        super().__init__([WEBSERVER, "--kind", kind, "--root", root, "--prefix", prefix], "http")


def md5_rates(md5_bench, source):
    """MiB/s of the installer's MD5 check and of `openssl speed md5` (1 MiB blocks)."""
    ours = subprocess.run([md5_bench, source, "3"], capture_output=True, text=True).stdout
    engine = float(ours.split("md5 MiB/s")[1].split()[0])
    speed = subprocess.run(["openssl", "speed", "-seconds", "3", "-bytes", "1048576", "md5"],
                           capture_output=True, text=True).stdout
    kilo = float(speed.strip().splitlines()[-1].split()[-1].rstrip("k"))
    return engine, kilo * 1000 / 1048576


def measure(argv, report):
    """Wall seconds, CPU seconds (user + system), peak RSS in MiB, voluntary context switches and
    exit code of one run, measured by GNU time (a child forked from this interpreter would
    inherit its peak RSS)."""
    started = time.monotonic()
    with open(report + ".stderr", "w") as errors:
        code = subprocess.call(["/usr/bin/time", "-o", report, "-f", "%e %U %S %M %w"] + argv,
                               stdout=subprocess.DEVNULL, stderr=errors)
    wall = time.monotonic() - started
    with open(report) as f:
        fields = f.read().split()[-5:]
    _, user, system, rss_kib, switches = (float(x) for x in fields)
    return wall, user + system, rss_kib / 1024.0, int(switches), code


def commands(tool, url, out, connections, cvd_fetch):
    if tool == "cvd-fetch":
        return [cvd_fetch, url, out]
    if tool == "aria2c":
        return ["aria2c", "-q", "-x", str(connections), "-s", str(connections), "-k", "4M",
                "--check-certificate=false", "--file-allocation=none", "--allow-overwrite=true",
                "--auto-file-renaming=false", "-d", os.path.dirname(out), "-o", os.path.basename(out),
                url]
    return ["curl", "-sk", "-o", out, url]


def run_once(tool, stand, out, connections, cvd_fetch, expected, work):
    for leftover in (out, out + ".xml", out + ".aria2"):
        if os.path.exists(leftover):
            os.remove(leftover)
    report = os.path.join(work, f"{tool}.time")
    wall, cpu, rss, switches, code = measure(commands(tool, stand.url("package.bin"), out,
                                                      connections, cvd_fetch), report)
    if code != 0:
        print(f"{tool} failed with {code}:", open(report + ".stderr").read()[-2000:])
    return wall, cpu, rss, switches, code == 0 and md5_of(out) == expected


def median_of(samples):
    """Median of each measure over a tool's runs; the MD5 is ok only if every run was."""
    medians = tuple(statistics.median(s[i] for s in samples) for i in range(4))
    return medians + (all(s[4] for s in samples),)


CAP_MIB_PER_S = 20  # nginx's "20m": MiB per second and connection


def capped_summary(rows, size, connections):
    """The capped download against the engine's own unthrottled cost, aria2c and the cap."""
    found = {(scenario, tool): (wall, cpu) for scenario, tool, wall, cpu, *_ in rows}
    free, capped = found.get(("nginx unthrottled", "cvd-fetch")), found.get(
        ("nginx 20 MB/s per conn.", "cvd-fetch"))
    aria2c = found.get(("nginx 20 MB/s per conn.", "aria2c"))
    if not (free and capped and aria2c):
        return
    limit = size / (connections * CAP_MIB_PER_S * 1048576)
    print(f"cvd-fetch capped: CPU {capped[1] / free[1]:.2f}x its unthrottled CPU, "
          f"{capped[1] / aria2c[1]:.2f}x aria2c's; wall {capped[0] / aria2c[0]:.2f}x aria2c's, "
          f"{capped[0] / limit:.2f}x the cap's limit ({limit:.1f} s at {connections} x "
          f"{CAP_MIB_PER_S} MiB/s)")


def main():
    parser = argparse.ArgumentParser()
    repo = os.path.dirname(os.path.dirname(os.path.dirname(os.path.abspath(__file__))))
    parser.add_argument("--cvd-fetch", default=os.path.join(repo, "build-rel", "bin", "cvd-fetch"))
    parser.add_argument("--size", type=int, default=1 << 30)
    parser.add_argument("--runs", type=int, default=3)
    parser.add_argument("--md5-bench")
    parser.add_argument("--workdir")
    parser.add_argument("--skip-nginx", action="store_true")
    args = parser.parse_args()
    md5_bench = args.md5_bench or os.path.join(os.path.dirname(os.path.dirname(args.cvd_fetch)),
                                               "bench", "download", "cvd_md5_bench")
    work = args.workdir or tempfile.mkdtemp(prefix="cvd-bench-")
    root = os.path.join(work, "www")
    os.makedirs(root, exist_ok=True)
    source = os.path.join(root, "package.bin")
    expected = make_file(source, args.size)
    connections = max(4, (os.cpu_count() or 1) * 8 // 5)
    out = os.path.join(work, "out", "package.bin")
    os.makedirs(os.path.dirname(out), exist_ok=True)
    # Apache's workers do not run as root; they must read the file.
    for folder in (work, root):
        os.chmod(folder, 0o755)
    os.chmod(source, 0o644)
    rows = []
    scenarios = [] if args.skip_nginx else [
        ("nginx unthrottled", lambda: Stand(root, os.path.join(work, "nginx-free")),
         ("cvd-fetch", "aria2c", "curl")),
        ("nginx 20 MB/s per conn.", lambda: Stand(root, os.path.join(work, "nginx-20m"), "20m"),
         ("cvd-fetch", "aria2c", "curl"))]
    scenarios += [
        ("apache unthrottled", lambda: WebStand("apache", root, os.path.join(work, "apache")),
         ("cvd-fetch", "aria2c", "curl")),
        ("no ranges (python)", lambda: WebStand("python", root, os.path.join(work, "python")),
         ("cvd-fetch", "curl"))]
    for scenario, start, tools in scenarios:
        stand = start()
        try:
            runs = {tool: [] for tool in tools}
            for _ in range(args.runs):
                for tool in runs:
                    runs[tool].append(run_once(tool, stand, out, connections, args.cvd_fetch,
                                               expected, work))
            results = {tool: median_of(samples) for tool, samples in runs.items()}
            base = results.get("aria2c", results["curl"])
            for tool, (wall, cpu, rss, switches, ok) in results.items():
                rows.append((scenario, tool, wall, cpu, rss, switches, wall / base[0],
                             cpu / max(base[1], 1e-6), ok))
        finally:
            stand.stop()
    size_mib = args.size / 1048576
    print(f"file {size_mib:.0f} MiB, {connections} connections (cvd-fetch workers, aria2c -x/-s), "
          f"{os.cpu_count()} CPUs, median of {args.runs} runs per tool")
    print(f"{'scenario':<24} {'tool':<10} {'wall s':>8} {'CPU s':>7} {'peak MiB':>9} "
          f"{'wakeups':>8} {'wall/base':>10} {'CPU/base':>9} {'MiB/s':>7}  md5   "
          "(base: aria2c, curl where aria2c is not run)")
    for scenario, tool, wall, cpu, rss, switches, wr, cr, ok in rows:
        print(f"{scenario:<24} {tool:<10} {wall:8.2f} {cpu:7.2f} {rss:9.1f} {switches:8.0f} "
              f"{wr:10.2f} {cr:9.2f} {size_mib / wall:7.1f}  {'ok' if ok else 'FAILED'}")
    capped_summary(rows, args.size, connections)
    engine, openssl = md5_rates(md5_bench, source)
    print(f"MD5 check: {engine:.0f} MiB/s, openssl speed md5: {openssl:.0f} MiB/s "
          f"({engine / openssl:.2f}x)")
    if not args.workdir:
        shutil.rmtree(work, ignore_errors=True)


if __name__ == "__main__":
    main()
