#!/usr/bin/env python3
"""Finds a button on a window screenshot the way a person does: by its look. Prints the centre
"X Y" (window coordinates) of the region of the button's background colour whose bounding box
has the button's size, or exits 1 when no such region is there.

  find_button.py SCREENSHOT.ppm COLOUR WIDTH HEIGHT

COLOUR is "#RRGGBB". The screenshot is a binary PPM (ImageMagick: import -window ID ppm:FILE).
The button's text and rounded corners make holes in the region; its bounding box still has the
button's size, which tells it apart from other areas of the same colour.
"""
import sys
from collections import deque

TOLERANCE = 6  # px of the bounding box lost to anti-aliased corners


def read_ppm(path):
    with open(path, "rb") as source:
        data = source.read()
    fields, at = [], 0
    while len(fields) < 4:
        while data[at:at + 1].isspace():
            at += 1
        if data[at:at + 1] == b"#":
            at = data.index(b"\n", at) + 1
            continue
        end = at
        while not data[end:end + 1].isspace():
            end += 1
        fields.append(data[at:end])
        at = end
    if fields[0] != b"P6" or int(fields[3]) != 255:
        raise ValueError("not an 8-bit binary PPM")
    width, height = int(fields[1]), int(fields[2])
    pixels = data[at + 1:at + 1 + width * height * 3]
    if len(pixels) != width * height * 3:
        raise ValueError("truncated PPM")
    return width, height, pixels


def regions(width, height, pixels, colour):
    mask = bytearray(width * height)
    for i in range(width * height):
        if all(abs(pixels[3 * i + c] - colour[c]) <= 8 for c in range(3)):
            mask[i] = 1
    for start in range(width * height):
        if mask[start] != 1:
            continue
        mask[start] = 2
        queue = deque([start])
        x0 = x1 = start % width
        y0 = y1 = start // width
        while queue:
            i = queue.popleft()
            x, y = i % width, i // width
            x0, x1, y0, y1 = min(x0, x), max(x1, x), min(y0, y), max(y1, y)
            for j in (i - 1 if x > 0 else -1, i + 1 if x + 1 < width else -1,
                      i - width, i + width):
                if 0 <= j < width * height and mask[j] == 1:
                    mask[j] = 2
                    queue.append(j)
        yield x0, y0, x1 - x0 + 1, y1 - y0 + 1


def main():
    if len(sys.argv) != 5:
        print(__doc__, file=sys.stderr)
        return 2
    path, colour_text, want_w, want_h = sys.argv[1], sys.argv[2], int(sys.argv[3]), int(sys.argv[4])
    colour = tuple(int(colour_text.lstrip("#")[i:i + 2], 16) for i in (0, 2, 4))
    width, height, pixels = read_ppm(path)
    for x, y, w, h in regions(width, height, pixels, colour):
        if abs(w - want_w) <= TOLERANCE and abs(h - want_h) <= TOLERANCE:
            print(x + w // 2, y + h // 2)
            return 0
    return 1


if __name__ == "__main__":
    sys.exit(main())
