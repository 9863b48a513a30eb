#!/usr/bin/env python3
"""The vendor's remote services on loopback: update server, geolocation, data service, content
server, analytics collectors, log upload and exception reports, answering as the installer
expects. Package, banner and sub-program files are served by the CDN (nginx); requests for them
that reach this service are redirected there.

Every port speaks plain HTTP and HTTPS (a TLS handshake is recognised by its first byte). What
the service receives is recorded in <state>/received.sqlite; `vendor-stand report` prints it.

Usage: vendorservice.py --state DIR --cdn https://127.0.0.1:8444 [--port 8443 --port 8080]
                        [--catalogue FILE] [--country US] [--lifetime SECONDS]
With --port 0 one free port is chosen and announced as "PORT <n>" on the first output line.
"""
import argparse
import email.parser
import email.policy
import hashlib
import json
import os
import socket
import sqlite3
import ssl
import sys
import threading
import time
import urllib.parse
from http.server import BaseHTTPRequestHandler, ThreadingHTTPServer
from xml.sax.saxutils import escape

HERE = os.path.dirname(os.path.abspath(__file__))
sys.dont_write_bytecode = True  # keep the source tree clean
sys.path.insert(0, os.path.join(HERE, "..", "..", "tests", "support", "cdn"))
import nginx_conf  # noqa: E402  (the CDN stand's certificate maker)
import standfiles  # noqa: E402

MAX_BODY = 64 * 1024 * 1024


class Recorder:
    """Keeps what the service receives in SQLite; one writer at a time."""

    def __init__(self, path):
        self.path = path
        self.lock = threading.Lock()
        with sqlite3.connect(path) as db:
            db.execute("CREATE TABLE IF NOT EXISTS received (id INTEGER PRIMARY KEY, at REAL, "
                       "kind TEXT, method TEXT, path TEXT, query TEXT, headers TEXT, body BLOB, "
                       "status INTEGER, note TEXT)")

    def add(self, kind, method, path, query, headers, body, status, note=""):
        with self.lock, sqlite3.connect(self.path) as db:
            db.execute("INSERT INTO received (at, kind, method, path, query, headers, body, status, "
                       "note) VALUES (?,?,?,?,?,?,?,?,?)",
                       (time.time(), kind, method, path, query, json.dumps(headers), body, status,
                        note))


class Stand:
    def __init__(self, catalogue, cdn, country, state):
        self.catalogue = catalogue
        self.cdn = cdn.rstrip("/")
        self.country = country or catalogue.get("country", "US")
        self.state = state
        self.salt = catalogue["salt"]
        self.upload_status = 0  # 0: take uploads; else answer every upload with this status

    def url(self, item):
        return self.cdn + "/" + item["path"]

    def product(self, downloader_id):
        for product in self.catalogue["products"]:
            if str(product["downloader_id"]) == downloader_id:
                return product
        return None

    def signed(self, query):
        """Whether `verify` is the MD5 of the query before it followed by the salt."""
        head, sep, verify = query.rpartition("&verify=")
        if not sep:
            return False
        return hashlib.md5((head + self.salt).encode()).hexdigest() == verify


def first(params, name, default=""):
    return params.get(name, [default])[0]


class Handler(BaseHTTPRequestHandler):
    protocol_version = "HTTP/1.1"
    stand = None
    recorder = None

    def log_message(self, *args):
        pass

    # -- plumbing -----------------------------------------------------------------------------
    def read_body(self):
        if self.headers.get("Transfer-Encoding", "").lower() == "chunked":
            body = b""
            while len(body) <= MAX_BODY:
                size = int(self.rfile.readline().strip().split(b";")[0], 16)
                if size == 0:
                    self.rfile.readline()
                    break
                body += self.rfile.read(size)
                self.rfile.readline()
            return body
        length = int(self.headers.get("Content-Length", "0") or 0)
        return self.rfile.read(min(length, MAX_BODY)) if length > 0 else b""

    def answer(self, status, body=b"", content_type="application/json", extra=None):
        if isinstance(body, str):
            body = body.encode()
        self.send_response(status)
        self.send_header("Content-Type", content_type)
        self.send_header("Content-Length", str(len(body)))
        for name, value in (extra or {}).items():
            self.send_header(name, value)
        self.end_headers()
        if self.command != "HEAD":
            self.wfile.write(body)

    def record(self, kind, body, status, note=""):
        split = urllib.parse.urlsplit(self.path)
        headers = {k.lower(): v for k, v in self.headers.items()}
        self.recorder.add(kind, self.command, split.path, split.query, headers, body, status, note)

    # -- dispatch -----------------------------------------------------------------------------
    def do_GET(self):
        self.dispatch(b"")

    def do_HEAD(self):
        self.dispatch(b"")

    def do_POST(self):
        self.dispatch(self.read_body())

    def dispatch(self, body):
        split = urllib.parse.urlsplit(self.path)
        path, query = split.path, split.query
        params = urllib.parse.parse_qs(query, keep_blank_values=True)
        routes = {
            "/queryDownloader": self.download_info,
            "/json/": self.geolocation,
            "/api/v1/user_privacy_info": self.privacy,
            "/api/v1/banners": self.banners,
            "/kitDownloads": self.kits,
            "/g/collect": self.ga4,
            "/collect": self.collector,
            "/collector": self.collector,
            "/v1/productLogUpload": self.log_upload,
            "/api/exception/send": self.exception_report,
            "/api/v1/ticket/feedback": self.legacy,
            "/ServiceList.txt": self.legacy,
            "/csv/": self.legacy,
            "/__stand/country": self.set_country,
            "/__stand/upload-status": self.set_upload_status,
        }
        try:
            route = routes.get(path)
            if route:
                route(params, query, body)
            elif path.startswith("/legal/"):
                self.legal_page(path)
            elif path == "/":
                self.legacy(params, query, body)
            else:
                self.to_cdn(path, query)
        except (ConnectionError, ssl.SSLError):
            pass

    # -- the update server --------------------------------------------------------------------
    def download_info(self, params, query, body):
        product = self.stand.product(first(params, "SoftWareID"))
        if product is None:
            self.answer(404, "<Error>unknown SoftWareID</Error>", "text/xml")
            self.record("download-info", body, 404, "unknown product")
            return
        package_type = first(params, "package_type")
        package = product.get("package_types", {}).get(package_type, product["package"])
        extra = product.get("extra_package", package)
        fields = [("Software_name", product["software_name"]),
                  ("Software_version", product["software_version"]),
                  ("Process_name", product["process_name"]),
                  ("Download_url", self.stand.url(package)),
                  ("Extra_download_url", self.stand.url(extra)),
                  ("Md5", package["md5"]), ("Filesize", str(package["size"])),
                  ("Md5_extra", extra["md5"])]
        xml = '<?xml version="1.0" encoding="utf-8"?>\n<Downloader>\n' + "".join(
            f"  <{name}>{escape(value)}</{name}>\n" for name, value in fields) + "</Downloader>\n"
        self.answer(200, xml, "text/xml; charset=utf-8")
        self.record("download-info", body, 200, product["software_name"])

    def exception_report(self, params, query, body):
        self.answer(200, '{"code":200,"msg":"received"}')
        self.record("exception", body, 200)

    # -- geolocation --------------------------------------------------------------------------
    def geolocation(self, params, query, body):
        answer = {"status": "success", "country": self.stand.country,
                  "countryCode": self.stand.country, "query": self.client_address[0]}
        self.answer(200, json.dumps(answer))
        self.record("geolocation", body, 200, self.stand.country)

    def set_country(self, params, query, body):
        self.stand.country = first(params, "code", self.stand.country)
        self.answer(200, json.dumps({"countryCode": self.stand.country}))

    def set_upload_status(self, params, query, body):
        try:
            code = int(first(params, "code", "0"))
            if code != 0 and not 200 <= code <= 599:
                raise ValueError(code)
            self.stand.upload_status = code
        except ValueError:
            self.answer(400, '{"error":"code must be 0 or an HTTP status of 200 to 599"}')
            return
        self.answer(200, json.dumps({"upload_status": self.stand.upload_status}))

    # -- the data service ---------------------------------------------------------------------
    def refuse_unsigned(self, kind, query, body):
        if self.stand.signed(query):
            return False
        self.answer(200, '{"code":401,"msg":"verify failed"}')
        self.record(kind, body, 200, "verify failed")
        return True

    def privacy(self, params, query, body):
        if self.refuse_unsigned("privacy", query, body):
            return
        self.answer(200, json.dumps(self.stand.catalogue["privacy"]))
        self.record("privacy", body, 200)

    def banners(self, params, query, body):
        if self.refuse_unsigned("banners", query, body):
            return
        lang = first(params, "lang_code", "en")
        answer = []
        for banner in self.stand.catalogue["banners"]:
            prompts = banner.get("prompt", {})
            answer.append({"banner_url": self.stand.url(banner), "jump_url": banner["jump_url"],
                           "prompt": prompts.get(lang, prompts.get("en", "")),
                           "sort": banner["sort"]})
        self.answer(200, json.dumps(answer, ensure_ascii=False))
        self.record("banners", body, 200, lang)

    def legal_page(self, path):
        title = os.path.basename(path).rsplit(".", 1)[0].replace("-", " ").capitalize()
        self.answer(200, f"<!doctype html><title>{escape(title)}</title><h1>{escape(title)}</h1>"
                         "<p>Demo text of the local vendor stand.</p>", "text/html; charset=utf-8")

    # -- the content server -------------------------------------------------------------------
    def kits(self, params, query, body):
        key = first(params, "t")
        items = self.stand.catalogue.get("kits", {}).get(key)
        if items is None:
            self.answer(200, json.dumps({"status": 404, "msg": "unknown key", "data": []}))
            self.record("kits", body, 200, "unknown key " + key)
            return
        data = [{"pid": item["pid"], "parent_pid": item["parent_pid"],
                 "download": self.stand.url(item), "file_size": str(item["size"]),
                 "file_md5": item["md5"], "launch_name": item["launch_name"],
                 "install_dir": item["install_dir"], "version": item["version"],
                 "country_limit": item.get("country_limit", "")} for item in items]
        self.answer(200, json.dumps({"status": 200, "msg": "ok", "data": data}, ensure_ascii=False))
        self.record("kits", body, 200, key)

    # -- telemetry ----------------------------------------------------------------------------
    def ga4(self, params, query, body):
        self.answer(204)
        self.record("ga4", body, 204)

    def collector(self, params, query, body):
        try:
            json.loads(body or b"null")
            kind = "funnel"
        except ValueError:
            kind = "legacy"
        self.answer(200, '{"code":0,"msg":"success"}')
        self.record(kind, body, 200)

    def log_upload(self, params, query, body):
        if self.stand.upload_status:
            self.answer(self.stand.upload_status, json.dumps({"code": self.stand.upload_status}))
            self.record("log-upload", b"", self.stand.upload_status, "refused by the stand's switch")
            return
        header = f"Content-Type: {self.headers.get('Content-Type', '')}\r\n\r\n".encode()
        message = email.parser.BytesParser(policy=email.policy.HTTP).parsebytes(header + body)
        fields, saved = {}, []
        uploads = os.path.join(self.stand.state, "uploads")
        os.makedirs(uploads, exist_ok=True)
        for part in message.iter_parts() if message.is_multipart() else []:
            name = part.get_param("name", header="content-disposition")
            filename = part.get_filename()
            payload = part.get_payload(decode=True) or b""
            if filename:
                target = os.path.join(uploads, f"{int(time.time() * 1000)}_{os.path.basename(filename)}")
                with open(target, "wb") as out:
                    out.write(payload)
                saved.append(f"{name}={os.path.basename(filename)} ({len(payload)} bytes) -> {target}")
            else:
                fields[name] = payload.decode("utf-8", "replace")
        status = 200 if saved else 400
        self.answer(status, json.dumps({"code": status}))
        self.record("log-upload", json.dumps(fields).encode(), status, "; ".join(saved))

    def legacy(self, params, query, body):
        path = urllib.parse.urlsplit(self.path).path
        texts = {"/ServiceList.txt": "127.0.0.1\n",
                 "/csv/": f"success,Demo,{self.stand.country},,,,,,,,,,,127.0.0.1\n"}
        self.answer(200, texts.get(path, "ok\n"), "text/plain")
        self.record("legacy", body, 200)

    # -- files --------------------------------------------------------------------------------
    def to_cdn(self, path, query):
        location = self.stand.cdn + path + ("?" + query if query else "")
        self.answer(302, "", "text/plain", {"Location": location})


class SniffingServer(ThreadingHTTPServer):
    """Plain HTTP and HTTPS on one listening socket."""
    daemon_threads = True
    allow_reuse_address = True
    tls = None

    def finish_request(self, request, client_address):
        # On the request's own thread, so a slow handshake never holds up accepting.
        request.settimeout(30)
        try:
            tls = request.recv(1, socket.MSG_PEEK) == b"\x16"
            if tls:
                request = self.tls.wrap_socket(request, server_side=True)
        except (ssl.SSLError, OSError):
            return
        try:
            self.RequestHandlerClass(request, client_address, self)
        finally:
            if tls:
                request.close()

    def handle_error(self, request, client_address):
        pass


def tls_context(folder):
    os.makedirs(folder, exist_ok=True)
    nginx_conf.make_certificate(folder)
    context = ssl.SSLContext(ssl.PROTOCOL_TLS_SERVER)
    context.load_cert_chain(os.path.join(folder, "cert.pem"), os.path.join(folder, "key.pem"))
    return context


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--state", required=True)
    parser.add_argument("--cdn", required=True, help="base URL of the CDN serving the files")
    parser.add_argument("--port", type=int, action="append")
    parser.add_argument("--catalogue", default=os.path.join(HERE, "catalogue.json"))
    parser.add_argument("--country")
    parser.add_argument("--upload-status", type=int, default=0,
                        help="answer every log upload with this HTTP status (0: take them)")
    parser.add_argument("--lifetime", type=float, default=0, help="seconds; 0 runs until killed")
    args = parser.parse_args()

    os.makedirs(args.state, exist_ok=True)
    catalogue = standfiles.resolve(args.catalogue, os.path.join(args.state, "root"))
    Handler.stand = Stand(catalogue, args.cdn, args.country, args.state)
    Handler.stand.upload_status = args.upload_status
    Handler.recorder = Recorder(os.path.join(args.state, "received.sqlite"))
    context = tls_context(os.path.join(args.state, "tls"))

    servers = []
    for port in args.port or [0]:
        server = SniffingServer(("127.0.0.1", port), Handler)
        server.tls = context
        servers.append(server)
        threading.Thread(target=server.serve_forever, daemon=True).start()
    if args.port in (None, [0]):
        print(f"PORT {servers[0].server_address[1]}", flush=True)
    else:
        print("LISTENING " + " ".join(str(s.server_address[1]) for s in servers), flush=True)

    parent = os.getppid()
    deadline = time.time() + args.lifetime if args.lifetime else None
    while deadline is None or time.time() < deadline:
        if args.lifetime and os.getppid() != parent:
            break  # a test's server ends with its test
        time.sleep(0.2)


if __name__ == "__main__":
    main()
