#!/usr/bin/env python3
"""An HTTP server on a free loopback port for the download faults a CDN does not show on its
own. Prints "PORT <n>" first; stops after --lifetime seconds or when its parent ends.

The served file of a size and a version is a fixed pseudo-random byte string:
content(size, version) = random.Random(f"{size}:{version}").randbytes(size).

Paths (every HEAD answers with the size of version 1 and Accept-Ranges):
  /ok/<size>              ranges served correctly
  /stall/<size>           a range sends its headers and 64 KiB, then nothing (connection held)
  /reset/<size>           a range sends half its bytes, then the connection is reset
  /surplus/<size>         a range sends its bytes and 100 bytes more
  /changed/<size>         ranges come from version 2, one byte longer (Content-Range total
                          differs from the probe)
  /norange/<size>         Range is ignored: 200 with the whole file, sent at about 3 MiB/s
  /shifted/<size>         a 206 whose Content-Range (and body) start 100 bytes after the request
  /early/<size>           a 206 whose Content-Range (and body) start 100 bytes before the request
                          (at 0 at the earliest)
  /stalllast/<size>       a range sends all its bytes but the last, then nothing
  /dripstall/<size>       a range sends its first MiB at about 2 MiB/s, then nothing
  /flakyhead/<n>/<size>   the first n HEAD requests of this path answer 503 without any size
                          header; ranges served correctly
  /replaced/<size>        replaced by version 2 (same size) right after the first HEAD: HEAD
                          names ETag "v1" once, then "v2"; a GET whose If-Range is not "v2"
                          gets the whole of version 2 with 200, else its range of version 2
  /heal                   from now on every mode above serves ranges correctly
  /loop/<n>               302 to /loop/<n+1>, for ever
  /status/<code>/<size>   every GET answers <code> with a short body
"""
import argparse
import os
import random
import re
import socket
import struct
import threading
import time
from http.server import BaseHTTPRequestHandler, ThreadingHTTPServer

_cache = {}
_lock = threading.Lock()
_healed = threading.Event()
_heads = {}


def content(size, version=1):
    with _lock:
        key = (size, version)
        if key not in _cache:
            _cache[key] = random.Random(f"{size}:{version}").randbytes(size)
        return _cache[key]


def parse_range(header, size):
    match = re.match(r"bytes=(\d+)-(\d*)", header or "")
    if not match:
        return 0, size - 1
    start = int(match.group(1))
    end = int(match.group(2)) if match.group(2) else size - 1
    return start, min(end, size - 1)


class Handler(BaseHTTPRequestHandler):
    protocol_version = "HTTP/1.1"

    def log_message(self, *_):
        pass

    def parts(self):
        return [p for p in self.path.split("?")[0].split("/") if p]

    def do_HEAD(self):
        parts = self.parts()
        if parts and parts[0] == "loop":
            return self.redirect(parts)
        if parts and parts[0] == "flakyhead":
            with _lock:
                _heads[self.path] = _heads.get(self.path, 0) + 1
                failing = _heads[self.path] <= int(parts[1])
            if failing:
                self.send_response(503)
                self.send_header("Connection", "close")
                self.end_headers()
                self.close_connection = True
                return
        size = int(parts[-1])
        self.send_response(200)
        if parts[0] == "replaced":
            with _lock:
                _heads[self.path] = _heads.get(self.path, 0) + 1
                self.send_header("ETag", '"v1"' if _heads[self.path] == 1 else '"v2"')
        self.send_header("Content-Length", str(size))
        self.send_header("Accept-Ranges", "bytes")
        self.end_headers()

    def do_GET(self):
        parts = self.parts()
        mode = parts[0]
        if mode == "loop":
            return self.redirect(parts)
        if mode == "status":
            return self.status(int(parts[1]))
        if mode == "heal":
            _healed.set()
            return self.status(200)
        healable = ("norange", "shifted", "early", "stalllast", "stall", "dripstall")
        if _healed.is_set() and mode in healable:
            mode = "ok"
        size = int(parts[-1])
        if mode == "norange":
            return self.whole_file_slowly(content(size))
        if mode == "replaced":
            if self.headers.get("If-Range") != '"v2"':
                return self.whole_file(content(size, 2), '"v2"')
            version_two = True
        else:
            version_two = False
        version = 2 if mode == "changed" or version_two else 1
        total = size + 1 if mode == "changed" else size
        data = content(total, version)
        start, end = parse_range(self.headers.get("Range"), total)
        if mode == "shifted":
            start = min(start + 100, end)
        elif mode == "early":
            start = max(start - 100, 0)
        body = data[start:end + 1]
        extra = data[end + 1:end + 101].ljust(100, b"x") if mode == "surplus" else b""
        self.send_response(206)
        self.send_header("Content-Range", f"bytes {start}-{end}/{total}")
        self.send_header("Content-Length", str(len(body) + len(extra)))
        self.end_headers()
        if mode == "stall":
            self.wfile.write(body[:65536])
            self.wfile.flush()
            time.sleep(120)
        elif mode == "dripstall":
            for at in range(0, min(len(body), 1 << 20), 16384):
                self.wfile.write(body[at:at + 16384])
                self.wfile.flush()
                time.sleep(0.008)
            time.sleep(120)
        elif mode == "stalllast":
            self.wfile.write(body[:-1])
            self.wfile.flush()
            time.sleep(120)
        elif mode == "reset":
            self.wfile.write(body[:len(body) // 2])
            self.wfile.flush()
            self.connection.setsockopt(socket.SOL_SOCKET, socket.SO_LINGER,
                                       struct.pack("ii", 1, 0))
            self.close_connection = True
        else:
            self.wfile.write(body + extra)

    def whole_file(self, data, etag):
        self.send_response(200)
        self.send_header("ETag", etag)
        self.send_header("Content-Length", str(len(data)))
        self.end_headers()
        self.wfile.write(data)

    def whole_file_slowly(self, data):
        self.send_response(200)
        self.send_header("Content-Length", str(len(data)))
        self.end_headers()
        for at in range(0, len(data), 65536):
            self.wfile.write(data[at:at + 65536])
            self.wfile.flush()
            time.sleep(0.02)

    def do_POST(self):
        length = int(self.headers.get("Content-Length") or 0)
        self.rfile.read(length)
        parts = self.parts()
        self.status(int(parts[1]) if parts and parts[0] == "status" else 404)

    def redirect(self, parts):
        n = int(parts[1]) if len(parts) > 1 else 0
        self.send_response(302)
        self.send_header("Location", f"http://127.0.0.1:{self.server.server_port}/loop/{n + 1}")
        self.send_header("X-Filler", "f" * 400)
        self.send_header("Content-Length", "0")
        self.end_headers()

    def status(self, code):
        body = f"status {code}\n".encode() * 20
        self.send_response(code)
        self.send_header("Content-Length", str(len(body)))
        self.end_headers()
        self.wfile.write(body)


class QuietServer(ThreadingHTTPServer):
    daemon_threads = True

    def handle_error(self, request, client_address):
        pass  # clients abort transfers on purpose (guards, resets, stalls)


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--lifetime", type=float, default=300)
    args = parser.parse_args()
    server = QuietServer(("127.0.0.1", 0), Handler)
    print(f"PORT {server.server_port}", flush=True)
    parent = os.getppid()
    threading.Thread(target=server.serve_forever, daemon=True).start()
    deadline = time.time() + args.lifetime
    while time.time() < deadline and os.getppid() == parent:
        time.sleep(0.2)
    server.shutdown()


if __name__ == "__main__":
    main()
