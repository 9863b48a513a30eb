"""What the stand launchers share: a free loopback port, a server process that ends with its
launcher, waiting until it accepts connections, and watching it until the launcher is told to
stop, its parent ends or its lifetime is over."""
import ctypes
import os
import signal
import socket
import subprocess
import time

PR_SET_PDEATHSIG = 1


def free_port():
    with socket.socket() as s:
        s.bind(("127.0.0.1", 0))
        return s.getsockname()[1]


def die_with_parent():
    ctypes.CDLL("libc.so.6", use_errno=True).prctl(PR_SET_PDEATHSIG, signal.SIGTERM)


def wait_accepting(port, deadline):
    while time.time() < deadline:
        try:
            socket.create_connection(("127.0.0.1", port), timeout=0.2).close()
            return True
        except OSError:
            time.sleep(0.05)
    return False


def stop_requests():
    """A list that gets an entry when SIGTERM arrives."""
    stop = []
    signal.signal(signal.SIGTERM, lambda *_: stop.append(True))
    return stop


def watch(server, stop, parent, deadline):
    """Runs until `stop` has an entry, `deadline` passed, the parent ended or the server did;
    then ends the server."""
    while not stop and time.time() < deadline and os.getppid() == parent and server.poll() is None:
        time.sleep(0.2)
    server.terminate()
    try:
        server.wait(timeout=10)
    except subprocess.TimeoutExpired:
        server.kill()
