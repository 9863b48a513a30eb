"""The files the vendor stand's CDN serves, made from the catalogue: packages and sub-programs
(a copy of "source" when the entry names one, else fixed pseudo-random bytes of "size"), and
banner pictures (PNG, drawn from "color"). Their sizes and MD5 digests are filled into the
catalogue the service answers with, so answers always match the files.

A "source" is relative to the catalogue; "{build}" in it stands for the build tree that made the
signed demo packages: $CVD_BUILD_DIR, else the repository's build/ (the default preset).
"""
import hashlib
import json
import os
import random
import shutil
import struct
import zlib


def png(width, height, color):
    """A banner picture: a diagonal band of `color` over a lighter tint of it."""
    r, g, b = (int(color[i:i + 2], 16) for i in (1, 3, 5))
    light = bytes((r + (255 - r) * 3 // 4, g + (255 - g) * 3 // 4, b + (255 - b) * 3 // 4))
    dark = bytes((r, g, b))
    rows = []
    for y in range(height):
        row = bytearray(b"\x00")
        for x in range(width):
            row += dark if (x + y) // 40 % 3 == 0 else light
        rows.append(bytes(row))

    def chunk(kind, data):
        return (struct.pack(">I", len(data)) + kind + data +
                struct.pack(">I", zlib.crc32(kind + data) & 0xFFFFFFFF))

    header = struct.pack(">IIBBBBB", width, height, 8, 2, 0, 0, 0)
    return (b"\x89PNG\r\n\x1a\n" + chunk(b"IHDR", header) +
            chunk(b"IDAT", zlib.compress(b"".join(rows), 9)) + chunk(b"IEND", b""))


def md5_of(path):
    digest = hashlib.md5()
    with open(path, "rb") as source:
        for block in iter(lambda: source.read(1 << 20), b""):
            digest.update(block)
    return digest.hexdigest()


class MissingSource(Exception):
    pass


def build_dir():
    here = os.path.dirname(os.path.abspath(__file__))
    return os.environ.get("CVD_BUILD_DIR") or os.path.join(here, "..", "..", "build")


def source_path(item, base):
    source = os.path.join(base, item["source"].replace("{build}", build_dir()))
    if not os.path.isfile(source):
        raise MissingSource(
            f"{item['source']}: {os.path.normpath(source)} is missing; build the demo packages "
            "first (cmake --build build --target demo-packages) or point CVD_BUILD_DIR at the "
            "build tree that has them")
    return source


def make_file(item, root, base, banner):
    path = os.path.join(root, item["path"])
    if os.path.relpath(path, root).startswith(".."):
        raise ValueError("catalogue path leaves the document root: " + item["path"])
    os.makedirs(os.path.dirname(path), exist_ok=True)
    if "source" in item:
        shutil.copyfile(source_path(item, base), path)
    elif banner:
        with open(path, "wb") as out:
            out.write(png(item.get("width", 720), item.get("height", 300), item["color"]))
    elif not os.path.exists(path) or os.path.getsize(path) != item["size"]:
        with open(path, "wb") as out:
            out.write(random.Random(item["path"]).randbytes(item["size"]))
    item["size"] = os.path.getsize(path)
    item["md5"] = md5_of(path)


def file_items(catalogue):
    for product in catalogue["products"]:
        yield product["package"], False
        if "extra_package" in product:
            yield product["extra_package"], False
        for package in product.get("package_types", {}).values():
            yield package, False
    for banner in catalogue.get("banners", []):
        yield banner, True
    for items in catalogue.get("kits", {}).values():
        for item in items:
            yield item, False


def resolve(catalogue_path, root):
    """Loads the catalogue, makes its files under `root` and returns it with sizes and MD5s."""
    with open(catalogue_path, encoding="utf-8") as source:
        catalogue = json.load(source)
    base = os.path.dirname(os.path.abspath(catalogue_path))
    for item, banner in file_items(catalogue):
        make_file(item, root, base, banner)
    return catalogue
