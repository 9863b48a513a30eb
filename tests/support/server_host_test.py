"""The server host that starts Linux test servers for the Windows tests: what it starts, what it
refuses, and that every server it started ends with the test's connection or with the host."""
import os
import socket
import subprocess
import sys
import tempfile
import time
import unittest
import urllib.request

HERE = os.path.dirname(os.path.abspath(__file__))
HOST = os.path.join(HERE, "server_host.py")
FAULT_SERVER = os.path.join(HERE, "faultserver.py")


def read_until_closed(conn, deadline):
    data = b""
    conn.settimeout(max(deadline - time.time(), 0.1))
    while True:
        try:
            chunk = conn.recv(4096)
        except ConnectionResetError:  # closed with our request still unread
            return data
        if not chunk:
            return data
        data += chunk


def refuses_connections(port):
    try:
        socket.create_connection(("127.0.0.1", port), timeout=2).close()
        return False
    except OSError:
        return True


class ServerHostTest(unittest.TestCase):
    def setUp(self):
        folder = tempfile.TemporaryDirectory(prefix="cvd-server-host-")
        self.addCleanup(folder.cleanup)
        self.state_file = os.path.join(folder.name, "host.txt")
        subprocess.run([sys.executable, HOST, "start", "--state-file", self.state_file,
                        "--lifetime", "120"], check=True, capture_output=True)
        self.addCleanup(self.stop_host)
        with open(self.state_file) as f:
            self.state = dict(line.split() for line in f)

    def stop_host(self):
        subprocess.run([sys.executable, HOST, "stop", "--state-file", self.state_file],
                       check=True, capture_output=True)

    def request(self, argv, token=None, raw=None):
        """Sends a request; returns the connection and the first answer line."""
        conn = socket.create_connection(("127.0.0.1", int(self.state["PORT"])), timeout=30)
        self.addCleanup(conn.close)
        if raw is None:
            lines = ["CVD-SERVER-HOST 1", "TOKEN " + (token or self.state["TOKEN"]),
                     f"ARGC {len(argv)}"] + argv
            raw = "".join(line + "\n" for line in lines).encode()
        conn.sendall(raw)
        return conn, conn.makefile("rb").readline().decode().rstrip("\n")

    def test_state_file_is_private_to_its_user(self):
        self.assertEqual(os.stat(self.state_file).st_mode & 0o777, 0o600)

    def test_a_server_runs_until_the_test_hangs_up(self):
        conn, line = self.request(["python3", FAULT_SERVER])
        self.assertTrue(line.startswith("PORT "), line)
        port = int(line.split()[1])
        with urllib.request.urlopen(f"http://127.0.0.1:{port}/ok/10", timeout=10) as answer:
            self.assertEqual(len(answer.read()), 10)
        conn.shutdown(socket.SHUT_WR)
        read_until_closed(conn, time.time() + 20)
        self.assertTrue(refuses_connections(port))

    def test_escaped_arguments_reach_the_server_as_they_were(self):
        folder = os.path.dirname(self.state_file)
        root = os.path.join(folder, "сайт 100%")
        os.makedirs(root)
        with open(os.path.join(root, "a.bin"), "wb") as f:
            f.write(b"x" * 7)
        escaped_root = root.replace("%", "%25")
        conn, line = self.request(["python3", os.path.join(HERE, "webserver.py"), "--kind",
                                   "python", "--root", escaped_root, "--prefix",
                                   os.path.join(folder, "prefix")])
        self.assertTrue(line.startswith("PORT "), line)
        url = f"http://127.0.0.1:{line.split()[1]}/a.bin"
        with urllib.request.urlopen(url, timeout=10) as answer:
            self.assertEqual(answer.read(), b"x" * 7)

    def test_refuses_what_it_must_not_start(self):
        outside = os.path.join(HERE, "..", "..", "scripts", "find_button.py")
        cases = [
            ("a wrong token", dict(argv=["python3", FAULT_SERVER], token="0" * 32)),
            ("a program other than python3", dict(argv=["bash", "-c", "echo PORT 1"])),
            ("a script outside the servers' folders", dict(argv=["python3", outside])),
            ("a file that is no script", dict(argv=["python3", "/etc/passwd"])),
            ("too many arguments", dict(argv=["python3", FAULT_SERVER] + ["x"] * 80)),
            ("a line without its end", dict(argv=[], raw=b"CVD-SERVER-HOST 1\nTOKEN ")),
            ("an overlong line", dict(argv=[], raw=b"CVD-SERVER-HOST 1" + b"x" * 70000)),
            ("a bad escape", dict(argv=["python3", FAULT_SERVER, "%zz"])),
        ]
        for name, request in cases:
            with self.subTest(name):
                conn, line = self.request(**request)
                self.assertTrue(line.startswith("FAILED "), line)
                self.assertEqual(read_until_closed(conn, time.time() + 10), b"")

    def test_stop_ends_the_host_and_its_servers(self):
        _, line = self.request(["python3", FAULT_SERVER])
        port = int(line.split()[1])
        self.stop_host()
        self.assertFalse(os.path.exists(self.state_file))
        self.assertTrue(refuses_connections(port))
        self.assertTrue(refuses_connections(int(self.state["PORT"])))


if __name__ == "__main__":
    unittest.main()
