#!/usr/bin/env python3
"""A recording HTTP(S) server for telemetry and upload tests.

Binds a free loopback port and prints "PORT <n>" as its first line. The same port speaks plain
HTTP and HTTPS (a TLS handshake is recognised by its first byte; the certificate is a fresh
self-signed one made with the openssl command). Every request except the control requests below
is recorded (method, path, query, headers, body) and answered with the status chosen for its
path.

Options:
  --status PATH=CODE   answer requests for PATH with CODE (repeatable; CONNECT uses the path
                       "CONNECT"); other paths get --default-status (200)
  --hold PATH          record requests for PATH, then keep the connection open without an
                       answer until POST /__release (repeatable)
  --lifetime SECONDS   end by itself after this long (default 300)

Control requests (not recorded):
  GET  /__requests             the recorded requests as a JSON array; each has "method", "path",
                               "query", "headers" (name -> value, names lower-cased), "body"
                               (text, undecodable bytes replaced), "body_hex" and "answered"
  POST /__status?path=P&code=C change the status of a path
  POST /__body?path=P          answer requests for P with the posted text as body
  POST /__hold?path=P          start holding requests for P
  POST /__release              answer every held request and stop holding
  POST /__reset                forget the recorded requests
"""

import argparse
import json
import os
import shutil
import socket
import ssl
import subprocess
import sys
import tempfile
import threading
import urllib.parse
from http.server import BaseHTTPRequestHandler, ThreadingHTTPServer

LOCK = threading.Lock()
RECORDS = []
STATUS = {}
BODIES = {}
HOLD = set()
RELEASE = threading.Event()
DEFAULT_STATUS = 200


def make_tls_context():
    folder = tempfile.mkdtemp(prefix="collector-")
    key = os.path.join(folder, "key.pem")
    cert = os.path.join(folder, "cert.pem")
    subprocess.run(
        ["openssl", "req", "-x509", "-newkey", "ec", "-pkeyopt", "ec_paramgen_curve:prime256v1",
         "-nodes", "-keyout", key, "-out", cert, "-days", "1", "-subj", "/CN=127.0.0.1"],
        check=True, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
    context = ssl.SSLContext(ssl.PROTOCOL_TLS_SERVER)
    context.load_cert_chain(cert, key)
    shutil.rmtree(folder, ignore_errors=True)
    return context


class Handler(BaseHTTPRequestHandler):
    protocol_version = "HTTP/1.1"

    def log_message(self, *args):
        pass

    def read_body(self):
        if self.headers.get("Transfer-Encoding", "").lower() == "chunked":
            body = b""
            while True:
                size = int(self.rfile.readline().strip().split(b";")[0], 16)
                if size == 0:
                    self.rfile.readline()
                    return body
                body += self.rfile.read(size)
                self.rfile.readline()
        length = int(self.headers.get("Content-Length", "0") or 0)
        return self.rfile.read(length) if length > 0 else b""

    def answer(self, status, body=b""):
        self.send_response(status)
        if status in (204, 304):
            self.send_header("Content-Length", "0")
            self.end_headers()
            return
        self.send_header("Content-Type", "text/plain; charset=utf-8")
        self.send_header("Content-Length", str(len(body)))
        self.end_headers()
        self.wfile.write(body)

    def control(self, path, query, body):
        params = urllib.parse.parse_qs(query)
        with LOCK:
            if path == "/__requests":
                payload = json.dumps(RECORDS).encode()
            elif path == "/__status":
                STATUS[params["path"][0]] = int(params["code"][0])
                payload = b"{}"
            elif path == "/__body":
                BODIES[params["path"][0]] = body
                payload = b"{}"
            elif path == "/__hold":
                HOLD.add(params["path"][0])
                RELEASE.clear()
                payload = b"{}"
            elif path == "/__release":
                HOLD.clear()
                RELEASE.set()
                payload = b"{}"
            elif path == "/__reset":
                RECORDS.clear()
                payload = b"{}"
            else:
                payload = None
        if payload is None:
            self.answer(404)
        else:
            self.answer(200, payload)

    def handle_any(self):
        split = urllib.parse.urlsplit(self.path)
        path = self.path if self.command == "CONNECT" else split.path
        body = self.read_body() if self.command != "CONNECT" else b""
        if path.startswith("/__"):
            self.control(path, split.query, body)
            return
        record = {
            "method": self.command,
            "path": path,
            "query": split.query if self.command != "CONNECT" else "",
            "headers": {name.lower(): value for name, value in self.headers.items()},
            "body": body.decode("utf-8", "replace"),
            "body_hex": body.hex(),
            "answered": False,
        }
        with LOCK:
            RECORDS.append(record)
            held = path in HOLD
            key = "CONNECT" if self.command == "CONNECT" else path
            status = STATUS.get(key, 405 if self.command == "CONNECT" else DEFAULT_STATUS)
            answer_body = BODIES.get(path, b"" if status == 204 else b"{}")
        if held:
            RELEASE.wait()
        with LOCK:
            record["answered"] = True
        self.answer(status, answer_body)
        if self.command == "CONNECT":
            self.close_connection = True

    do_GET = do_POST = do_PUT = do_DELETE = do_HEAD = do_CONNECT = handle_any


class Server(ThreadingHTTPServer):
    daemon_threads = True
    tls = None

    def finish_request(self, request, client_address):
        request.settimeout(30)
        try:
            first = request.recv(1, socket.MSG_PEEK)
        except OSError:
            return
        if first == b"\x16":
            try:
                request = self.tls.wrap_socket(request, server_side=True)
            except (ssl.SSLError, OSError):
                return
        request.settimeout(None)
        self.RequestHandlerClass(request, client_address, self)


def main():
    global DEFAULT_STATUS
    parser = argparse.ArgumentParser()
    parser.add_argument("--status", action="append", default=[])
    parser.add_argument("--default-status", type=int, default=200)
    parser.add_argument("--hold", action="append", default=[])
    parser.add_argument("--lifetime", type=float, default=300)
    args = parser.parse_args()
    DEFAULT_STATUS = args.default_status
    for item in args.status:
        path, code = item.rsplit("=", 1)
        STATUS[path] = int(code)
    HOLD.update(args.hold)

    server = Server(("127.0.0.1", 0), Handler)
    server.tls = make_tls_context()
    timer = threading.Timer(args.lifetime, lambda: os._exit(0))
    timer.daemon = True
    timer.start()
    print("PORT %d" % server.server_address[1], flush=True)
    try:
        server.serve_forever()
    except KeyboardInterrupt:
        pass


if __name__ == "__main__":
    sys.exit(main())
