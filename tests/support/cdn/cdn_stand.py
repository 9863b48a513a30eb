#!/usr/bin/env python3
"""Starts the CDN stand: nginx serving a document root on two free loopback ports, configured
by nginx_conf.py. Prints "PORT <https port>" and "HTTP_PORT <http port>" once nginx accepts
connections, and runs until SIGTERM, until its parent process ends or until --lifetime seconds
have passed; nginx ends with it.

Usage: cdn_stand.py --root DIR --prefix DIR [--limit-rate 20m] [--http2] [--lifetime 600]
"""
import argparse
import os
import subprocess
import sys
import time

sys.dont_write_bytecode = True  # keep the source tree clean
sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
sys.path.insert(1, os.path.dirname(os.path.dirname(os.path.abspath(__file__))))
import nginx_conf  # noqa: E402
from loopback_server import die_with_parent, free_port, stop_requests, wait_accepting, watch  # noqa: E402


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--root", required=True)
    parser.add_argument("--prefix", required=True)
    parser.add_argument("--limit-rate")
    parser.add_argument("--http2", action="store_true")
    parser.add_argument("--lifetime", type=float, default=600)
    args = parser.parse_args()
    parent = os.getppid()
    https_port, http_port = free_port(), free_port()
    conf = nginx_conf.write_config(args.root, args.prefix, https_port, http_port,
                                   args.limit_rate, args.http2)
    prefix = os.path.abspath(args.prefix)
    nginx = subprocess.Popen(["nginx", "-p", prefix, "-c", conf, "-e",
                              os.path.join(prefix, "error.log"), "-g", "daemon off;"],
                             preexec_fn=die_with_parent, stdout=subprocess.DEVNULL)
    stop = stop_requests()
    deadline = time.time() + args.lifetime
    if not (wait_accepting(https_port, time.time() + 10) and wait_accepting(http_port, time.time() + 5)):
        nginx.terminate()
        sys.exit("nginx did not start; see " + os.path.join(prefix, "error.log"))
    sys.stdout.write(f"PORT {https_port}\nHTTP_PORT {http_port}\n")
    sys.stdout.flush()
    watch(nginx, stop, parent, deadline)


if __name__ == "__main__":
    main()
