#!/usr/bin/python3
"""Makes the inputs of a Windows resource script on the build machine:

    resource_inputs.py zip FOLDER OUT.zip     the folder as a zip archive: every regular file,
                                              in name order, deflated, with a fixed date, so
                                              the same folder always gives the same bytes
    resource_inputs.py icon OUT.ico PNG...    an icon file holding the PNG pictures as they are
                                              (Windows reads PNG-compressed icon images)
"""
import os
import struct
import sys
import zipfile

FIXED_DATE = (1980, 1, 1, 0, 0, 0)


def pack(folder, out):
    names = []
    for root, _dirs, files in os.walk(folder):
        for name in files:
            path = os.path.join(root, name)
            if os.path.isfile(path) and not os.path.islink(path):
                names.append(os.path.relpath(path, folder).replace(os.sep, "/"))
    temp = out + ".tmp"
    with zipfile.ZipFile(temp, "w") as archive:
        for name in sorted(names):
            info = zipfile.ZipInfo(name, FIXED_DATE)
            info.compress_type = zipfile.ZIP_DEFLATED
            info.external_attr = 0o644 << 16
            with open(os.path.join(folder, name), "rb") as source:
                archive.writestr(info, source.read(), compresslevel=9)
    os.replace(temp, out)


def png_size(data):
    if data[:8] != b"\x89PNG\r\n\x1a\n" or data[12:16] != b"IHDR":
        raise ValueError("not a PNG picture")
    return struct.unpack(">II", data[16:24])


def icon(out, pngs):
    images = []
    for path in pngs:
        with open(path, "rb") as source:
            data = source.read()
        width, height = png_size(data)
        if width > 256 or height > 256:
            raise ValueError(f"{path}: larger than 256 pixels")
        images.append((width, height, data))
    header = struct.pack("<HHH", 0, 1, len(images))
    offset = len(header) + 16 * len(images)
    entries, bodies = b"", b""
    for width, height, data in images:
        # 256 is written as 0; 32 bits per pixel.
        entries += struct.pack("<BBBBHHII", width % 256, height % 256, 0, 0, 1, 32, len(data),
                               offset + len(bodies))
        bodies += data
    with open(out, "wb") as target:
        target.write(header + entries + bodies)


def main(argv):
    if len(argv) == 4 and argv[1] == "zip":
        pack(argv[2], argv[3])
    elif len(argv) >= 4 and argv[1] == "icon":
        icon(argv[2], argv[3:])
    else:
        print(__doc__, file=sys.stderr)
        return 2
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv))
