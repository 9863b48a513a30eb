#!/usr/bin/env python3
"""Starts test servers on the Linux side for tests that run as Windows programs under Wine.

A Windows test cannot start a Linux program, so its ServerProcess asks this host instead: it
connects to the host's loopback port, proves it read the state file (the token), names the server
(python3 and one of the scripts of tests/support or tools/vendor-stand, with its arguments) and
gets back the server's output lines, the first of them "PORT <n>". When the test closes its side
of the connection (or dies), the host ends that server.

Request, one line each: "CVD-SERVER-HOST 1", "TOKEN <hex>", "ARGC <n>", then n arguments with
'%', control characters and DEL written as %XX. Answer: the server's output lines, or one
"FAILED <reason>" line.

Usage:
  server_host.py start --state-file FILE [--lifetime SECONDS]   (a CTest fixture's setup)
  server_host.py stop --state-file FILE                         (its cleanup)
The state file (mode 0600) holds "PORT <n>", "TOKEN <hex>" and "PID <n>" lines.
"""
import argparse
import hmac
import os
import secrets
import signal
import socket
import subprocess
import sys
import threading
import time

HERE = os.path.dirname(os.path.abspath(__file__))
SCRIPT_FOLDERS = [HERE, os.path.realpath(os.path.join(HERE, "..", "..", "tools", "vendor-stand"))]
MAX_LINE = 64 * 1024
MAX_ARGS = 64
REQUEST_TIMEOUT = 10


class BadRequest(Exception):
    pass


def unescape(text):
    out = bytearray()
    i = 0
    data = text.encode("utf-8", "surrogateescape")
    while i < len(data):
        if data[i] == ord("%"):
            try:
                out.append(int(data[i + 1:i + 3].decode("ascii"), 16))
            except ValueError:
                raise BadRequest("bad escape")
            i += 3
        else:
            out.append(data[i])
            i += 1
    return os.fsdecode(bytes(out))


def read_line(stream):
    line = stream.readline(MAX_LINE + 1)
    if not line.endswith(b"\n") or len(line) > MAX_LINE:
        raise BadRequest("line missing or too long")
    return line[:-1].decode("utf-8", "surrogateescape")


def read_request(stream, token):
    if read_line(stream) != "CVD-SERVER-HOST 1":
        raise BadRequest("not a server host request")
    given = read_line(stream)
    if not given.startswith("TOKEN ") or not hmac.compare_digest(given[6:], token):
        raise BadRequest("wrong token")
    count = read_line(stream)
    if not count.startswith("ARGC ") or not count[5:].isdigit():
        raise BadRequest("no argument count")
    if not 2 <= int(count[5:]) <= MAX_ARGS:
        raise BadRequest("argument count out of range")
    return [unescape(read_line(stream)) for _ in range(int(count[5:]))]


def checked_command(argv):
    """The command to run: python3 and a script of the support folders, nothing else."""
    if argv[0] != "python3":
        raise BadRequest("only python3 scripts are started")
    script = os.path.realpath(argv[1])
    if not script.endswith(".py") or not os.path.isfile(script):
        raise BadRequest("no such script")
    if not any(os.path.commonpath([script, folder]) == folder for folder in SCRIPT_FOLDERS):
        raise BadRequest("the script lies outside the test servers' folders")
    return [sys.executable, script] + argv[2:]


def end(process):
    if process.poll() is None:
        process.terminate()
        try:
            process.wait(timeout=10)
        except subprocess.TimeoutExpired:
            process.kill()
            process.wait()


def pump(process, conn):
    """Forwards the server's output lines; tells the test when the server ended unannounced."""
    announced = False
    try:
        for line in iter(lambda: process.stdout.readline(MAX_LINE), b""):
            announced = True
            conn.sendall(line if line.endswith(b"\n") else line + b"\n")
        if not announced:
            code = process.wait()
            conn.sendall(b"FAILED the server ended before it announced its port (exit status %d)\n"
                         % code)
    except OSError:
        pass


class Host:
    def __init__(self, token):
        self.token = token
        self.lock = threading.Lock()
        self.servers = set()

    def serve_one(self, conn):
        with conn:
            conn.settimeout(REQUEST_TIMEOUT)
            stream = conn.makefile("rb")
            try:
                command = checked_command(read_request(stream, self.token))
            except (BadRequest, OSError, UnicodeError) as e:
                try:
                    conn.sendall(b"FAILED " + str(e).encode() + b"\n")
                except OSError:
                    pass
                return
            try:
                process = subprocess.Popen(command, stdin=subprocess.DEVNULL,
                                           stdout=subprocess.PIPE)
            except OSError as e:
                conn.sendall(b"FAILED " + str(e).encode() + b"\n")
                return
            with self.lock:
                self.servers.add(process)
            forward = threading.Thread(target=pump, args=(process, conn), daemon=True)
            forward.start()
            conn.settimeout(None)
            try:
                while conn.recv(4096):
                    pass  # the test sends nothing more; its end of the stream is the stop
            except OSError:
                pass
            end(process)
            forward.join(timeout=10)
            with self.lock:
                self.servers.discard(process)

    def stop_all(self):
        with self.lock:
            servers = list(self.servers)
        for process in servers:
            end(process)


def write_state(path, port, token):
    temporary = path + ".tmp"
    fd = os.open(temporary, os.O_WRONLY | os.O_CREAT | os.O_TRUNC, 0o600)
    with os.fdopen(fd, "w") as f:
        f.write(f"PORT {port}\nTOKEN {token}\nPID {os.getpid()}\n")
    os.replace(temporary, path)


def serve(state_file, lifetime):
    token = secrets.token_hex(16)
    listener = socket.socket()
    listener.bind(("127.0.0.1", 0))
    listener.listen(64)
    listener.settimeout(0.5)
    host = Host(token)
    stop = []
    signal.signal(signal.SIGTERM, lambda *_: stop.append(True))
    write_state(state_file, listener.getsockname()[1], token)
    deadline = time.time() + lifetime
    while not stop and time.time() < deadline:
        try:
            conn, _ = listener.accept()
        except socket.timeout:
            continue
        threading.Thread(target=host.serve_one, args=(conn,), daemon=True).start()
    host.stop_all()


def read_state(path):
    state = {}
    try:
        with open(path) as f:
            for line in f:
                key, _, value = line.strip().partition(" ")
                state[key] = value
    except OSError:
        pass
    return state


def start(state_file, lifetime):
    stop(state_file)
    log = open(state_file + ".log", "ab")
    subprocess.Popen([sys.executable, os.path.abspath(__file__), "serve", "--state-file",
                      state_file, "--lifetime", str(lifetime)],
                     stdin=subprocess.DEVNULL, stdout=log, stderr=log, start_new_session=True)
    deadline = time.time() + 15
    while time.time() < deadline:
        if read_state(state_file).get("PORT"):
            print(f"server host listening on port {read_state(state_file)['PORT']}")
            return 0
        time.sleep(0.05)
    print("the server host did not start; see " + state_file + ".log", file=sys.stderr)
    return 1


def is_host(pid, state_file):
    """Whether `pid` is still the host of `state_file` (a stale file's number may be reused)."""
    try:
        with open(f"/proc/{pid}/cmdline", "rb") as f:
            words = f.read().split(b"\0")
    except OSError:
        return False
    return b"serve" in words and os.fsencode(state_file) in words


def stop(state_file):
    pid = read_state(state_file).get("PID", "")
    if pid.isdigit() and is_host(pid, state_file):
        try:
            os.kill(int(pid), signal.SIGTERM)
            deadline = time.time() + 15
            while time.time() < deadline:
                os.kill(int(pid), 0)
                time.sleep(0.05)
            os.kill(int(pid), signal.SIGKILL)
        except ProcessLookupError:
            pass
    for leftover in (state_file, state_file + ".tmp"):
        if os.path.exists(leftover):
            os.remove(leftover)
    return 0


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("action", choices=["start", "stop", "serve"])
    parser.add_argument("--state-file", required=True)
    parser.add_argument("--lifetime", type=float, default=3 * 3600)
    args = parser.parse_args()
    state_file = os.path.abspath(args.state_file)
    if args.action == "serve":
        serve(state_file, args.lifetime)
        return 0
    if args.action == "start":
        return start(state_file, args.lifetime)
    return stop(state_file)


if __name__ == "__main__":
    sys.exit(main())
