#!/usr/bin/env python3
"""Starts a stock web server serving a document root on a free loopback port: Apache httpd
(with a configuration of its own, never the system's service) or Python's http.server (which
knows no ranges). Prints "PORT <n>" once the server accepts connections and runs until SIGTERM,
until its parent process ends or until --lifetime seconds have passed; the server ends with it.

Usage: webserver.py --kind apache|python --root DIR --prefix DIR [--rate-kib N] [--lifetime S]
"""
import argparse
import os
import subprocess
import sys
import time

sys.dont_write_bytecode = True  # keep the source tree clean
from loopback_server import die_with_parent, free_port, stop_requests, wait_accepting, watch  # noqa: E402

MODULES = "/usr/lib/apache2/modules"


def apache_config(root, prefix, port, rate_kib):
    lines = [
        f"LoadModule mpm_event_module {MODULES}/mod_mpm_event.so",
        f"LoadModule authz_core_module {MODULES}/mod_authz_core.so",
        f"LoadModule mime_module {MODULES}/mod_mime.so",
        "ServerName 127.0.0.1",
        f"Listen 127.0.0.1:{port}",
        f"PidFile {prefix}/httpd.pid",
        f"DefaultRuntimeDir {prefix}",
        f"ErrorLog {prefix}/error.log",
        f"DocumentRoot {root}",
        f"<Directory {root}>",
        "    Require all granted",
        "</Directory>",
        "TypesConfig /etc/mime.types",
    ]
    if os.geteuid() == 0:
        # Its workers may not serve as root; the test makes the root readable to them.
        lines.insert(3, "User nobody")
        lines.insert(4, "Group nogroup")
    if rate_kib:
        lines[1:1] = [f"LoadModule ratelimit_module {MODULES}/mod_ratelimit.so",
                      f"LoadModule env_module {MODULES}/mod_env.so"]
        lines += ["SetOutputFilter RATE_LIMIT", f"SetEnv rate-limit {rate_kib}"]
    path = os.path.join(prefix, "httpd.conf")
    with open(path, "w") as f:
        f.write("\n".join(lines) + "\n")
    return path


def start(args, port):
    prefix = os.path.abspath(args.prefix)
    # Resolved, so that Apache's workers walk only the folders the root really lies in (a Wine
    # prefix's Temp is a link out of the build tree, whose folders they may not enter).
    root = os.path.realpath(args.root)
    os.makedirs(prefix, exist_ok=True)
    if args.kind == "apache":
        conf = apache_config(root, prefix, port, args.rate_kib)
        command = ["apache2", "-f", conf, "-DFOREGROUND"]
    else:
        command = [sys.executable, "-m", "http.server", "--bind", "127.0.0.1", "--directory",
                   root, str(port)]
    return subprocess.Popen(command, preexec_fn=die_with_parent, stdout=subprocess.DEVNULL,
                            stderr=subprocess.DEVNULL)


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--kind", choices=("apache", "python"), required=True)
    parser.add_argument("--root", required=True)
    parser.add_argument("--prefix", required=True)
    parser.add_argument("--rate-kib", type=int, default=0)
    parser.add_argument("--lifetime", type=float, default=600)
    args = parser.parse_args()
    parent = os.getppid()
    port = free_port()
    server = start(args, port)
    stopping = stop_requests()
    if not wait_accepting(port, time.time() + 20):
        server.terminate()
        sys.exit(1)
    print(f"PORT {port}", flush=True)
    watch(server, stopping, parent, time.time() + args.lifetime)


if __name__ == "__main__":
    main()
