#!/usr/bin/env python3
"""The demo's button finder: finds the button by colour and size, ignores same-coloured areas of
another size, and reports a missing button."""
import os
import subprocess
import sys
import tempfile

FINDER = os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "..", "scripts",
                      "find_button.py")
THEME = (0x83, 0x72, 0xFF)


def picture(width, height, boxes):
    """A white PPM with filled boxes (x, y, w, h, colour); each box gets white 'text' inside."""
    pixels = bytearray(b"\xff" * width * height * 3)
    for x, y, w, h, colour in boxes:
        for row in range(y, y + h):
            for col in range(x, x + w):
                corner = (row in (y, y + h - 1)) and (col in (x, x + w - 1))
                text = y + h // 3 <= row < y + 2 * h // 3 and x + w // 3 <= col < x + 2 * w // 3 \
                    and col % 3 == 0
                if not corner and not text:
                    pixels[3 * (row * width + col):3 * (row * width + col) + 3] = bytes(colour)
    return b"P6\n# made by the test\n%d %d\n255\n" % (width, height) + bytes(pixels)


def find(data):
    with tempfile.NamedTemporaryFile(suffix=".ppm", delete=False) as out:
        out.write(data)
    try:
        run = subprocess.run([sys.executable, FINDER, out.name, "#8372FF", "200", "46"],
                             capture_output=True, text=True)
        return run.returncode, run.stdout.strip()
    finally:
        os.unlink(out.name)


def main():
    failures = []
    cases = [
        ("the button among a same-coloured bar", [(10, 10, 300, 8, THEME), (100, 200, 200, 46, THEME)],
         (0, "200 223")),
        ("another colour of the same size", [(100, 200, 200, 46, (0x10, 0x20, 0x30))], (1, "")),
        ("no button at all", [], (1, "")),
    ]
    for name, boxes, expected in cases:
        got = find(picture(400, 300, boxes))
        if got != expected:
            failures.append(f"{name}: expected {expected}, got {got}")
    if find(b"P3\n1 1\n255\n0 0 0\n")[0] == 0:
        failures.append("a text PPM was accepted")
    for failure in failures:
        print("FAILED:", failure)
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main())
