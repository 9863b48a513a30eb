#!/usr/bin/env python3
"""Writes an nginx configuration that serves a document root like the package CDN does:
HTTPS (self-signed certificate made with the openssl CLI) and plain HTTP on loopback ports,
real range support, the CDN headers (CF-RAY, CF-Cache-Status, X-Cache), redirect locations
(/redirect/<path>, and /bounce/<path> whose Location carries back_url=), an optional
per-connection rate limit and nginx's status counters at /cvd-stand-status. Every path nginx
writes (pid, logs, temp folders) lies under the prefix folder, so it runs as the current user.

Usage: nginx_conf.py --root DIR --prefix DIR --https-port N --http-port M
                     [--limit-rate 20m] [--http2]
Then:  nginx -p PREFIX -c PREFIX/nginx.conf -e PREFIX/error.log -g 'daemon off;'
"""
import argparse
import os
import subprocess

TEMPLATE = """\
{user}worker_processes 2;
pid {prefix}/nginx.pid;
error_log {prefix}/error.log warn;
events {{ worker_connections 512; }}
http {{
    default_type application/octet-stream;
    log_format ranges '$request_method $uri $status $body_bytes_sent "$http_range"';
    access_log {prefix}/access.log ranges;
    client_body_temp_path {prefix}/tmp/body;
    proxy_temp_path {prefix}/tmp/proxy;
    fastcgi_temp_path {prefix}/tmp/fastcgi;
    uwsgi_temp_path {prefix}/tmp/uwsgi;
    scgi_temp_path {prefix}/tmp/scgi;
    sendfile on;
    tcp_nopush on;
    keepalive_timeout 10;
    # A killed client's connection is ended within seconds, not the default minute: under Wine
    # a process killed mid-read can leave its socket open and unread until the server gives up.
    send_timeout 8s;
    {limit_rate}
    # A range answer is a cache miss at the edge, the probe's answer a hit, so the summary of
    # a download shows both.
    map $http_range $cf_cache_status {{ "" HIT; default MISS; }}
    server {{
        listen 127.0.0.1:{https_port} ssl{http2};
        listen 127.0.0.1:{http_port};
        ssl_certificate {prefix}/cert.pem;
        ssl_certificate_key {prefix}/key.pem;
        root {root};
        add_header CF-RAY "7d2f1a9b3c4e5f60-LAX" always;
        add_header CF-Cache-Status $cf_cache_status always;
        add_header X-Cache "HIT from cvd-stand" always;
        location ~ ^/redirect/(.*)$ {{ return 302 $scheme://$http_host/$1; }}
        location ~ ^/bounce/(.*)$ {{
            return 302 $scheme://$http_host/landing?back_url=$scheme://$http_host/$1;
        }}
        location = /landing {{ return 200 "landing\\n"; }}
        # Tests wait on its counters until every answer has ended and is in the access log.
        location = /cvd-stand-status {{ stub_status; access_log off; }}
    }}
}}
"""


def make_certificate(prefix):
    cert, key = os.path.join(prefix, "cert.pem"), os.path.join(prefix, "key.pem")
    if os.path.exists(cert) and os.path.exists(key):
        return
    subprocess.run(["openssl", "req", "-x509", "-newkey", "rsa:2048", "-nodes", "-days", "7",
                    "-subj", "/CN=127.0.0.1", "-keyout", key, "-out", cert],
                   check=True, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)


def write_config(root, prefix, https_port, http_port, limit_rate=None, http2=False):
    for sub in ("tmp/body", "tmp/proxy", "tmp/fastcgi", "tmp/uwsgi", "tmp/scgi"):
        os.makedirs(os.path.join(prefix, sub), exist_ok=True)
    make_certificate(prefix)
    text = TEMPLATE.format(
        user="user root root;\n" if os.geteuid() == 0 else "",
        prefix=os.path.abspath(prefix), root=os.path.abspath(root),
        https_port=https_port, http_port=http_port,
        limit_rate=f"limit_rate {limit_rate};" if limit_rate else "",
        http2=" http2" if http2 else "")
    path = os.path.join(prefix, "nginx.conf")
    with open(path, "w") as out:
        out.write(text)
    return path


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--root", required=True)
    parser.add_argument("--prefix", required=True)
    parser.add_argument("--https-port", type=int, required=True)
    parser.add_argument("--http-port", type=int, required=True)
    parser.add_argument("--limit-rate")
    parser.add_argument("--http2", action="store_true")
    args = parser.parse_args()
    print(write_config(args.root, args.prefix, args.https_port, args.http_port,
                       args.limit_rate, args.http2))


if __name__ == "__main__":
    main()
