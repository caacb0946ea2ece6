#!/usr/bin/env python3
"""Checks the generated artwork against the forms the program's resources need.

Usage: check_art.py FOLDER  (the folder that scripts/gen_art.py wrote)

Exits non-zero and names every fault found.
"""
import os
import struct
import subprocess
import sys
import tempfile

GENERATOR = os.path.join(os.path.dirname(__file__), "..", "..", "scripts", "gen_art.py")
NAMES = ["banner10.bmp", "icon10.ico", "icon12.ico", "icon13.ico", "cursor11.cur"]
faults = []


def check(condition, what):
    print(("ok    " if condition else "FAULT ") + what)
    if not condition:
        faults.append(what)


def info_header(data, offset):
    fields = struct.unpack_from("<IiiHHIIiiII", data, offset)
    names = ["size", "width", "height", "planes", "bits", "compression", "image_size",
             "x_ppm", "y_ppm", "colours_used", "colours_important"]
    return dict(zip(names, fields))


def stride(width, bits):
    return (width * bits + 31) // 32 * 4


def check_banner(data):
    check(data[:2] == b"BM", "banner: BMP signature")
    file_size, _, _, pixel_offset = struct.unpack_from("<IHHI", data, 2)
    header = info_header(data, 14)
    table = header["colours_used"] or 2 ** header["bits"]
    check(file_size == len(data), f"banner: file size field {file_size} matches the file")
    check(len(data) - 14 == 13216, f"banner: resource is 13216 bytes (is {len(data) - 14})")
    check(header["size"] == 40, "banner: 40-byte information header")
    check((header["width"], header["height"]) == (196, 62),
          f"banner: 196 x 62, bottom-up (is {header['width']} x {header['height']})")
    check(header["planes"] == 1 and header["bits"] == 8, "banner: one plane, 8 bits per pixel")
    check(header["compression"] == 0, "banner: uncompressed")
    check(table == 256, f"banner: 256-entry colour table (is {table})")
    check(pixel_offset == 14 + 40 + 4 * 256, "banner: pixels follow the colour table")
    rows = len(data) - pixel_offset
    check(rows == 62 * stride(196, 8) == 12152, f"banner: 12152 bytes of pixel rows (is {rows})")
    check(header["image_size"] in (0, 12152), "banner: image size field")
    pixels = data[pixel_offset:]
    white = next(i for i in range(256) if data[54 + 4 * i:57 + 4 * i] == b"\xff\xff\xff")
    used = set(pixels)
    check(white in used and len(used) >= 4,
          f"banner: a drawing on white, not blank ({len(used)} colours)")
    check(pixels.count(white) > len(pixels) // 2, "banner: mostly white, so the hatch shows")


def check_directory(data, name, kind, sizes, colours, bits):
    reserved, file_kind, count = struct.unpack_from("<HHH", data, 0)
    check(reserved == 0 and file_kind == kind, f"{name}: directory of kind {kind}")
    check(count == len(sizes), f"{name}: {len(sizes)} image(s) (has {count})")
    entries = []
    for n in range(count):
        width, height, colour_count, _, first, second, length, offset = struct.unpack_from(
            "<BBBBHHII", data, 6 + 16 * n)
        entries.append((width or 256, height or 256, colour_count, first, second, length, offset))
    for (width, height, colour_count, first, second, length, offset), size in zip(entries, sizes):
        label = f"{name}: {size} x {size} image"
        check((width, height) == (size, size), f"{label}: directory size {width} x {height}")
        check(colour_count == colours, f"{label}: {colours} colours in the directory")
        check(offset + length <= len(data), f"{label}: image lies inside the file")
        header = info_header(data, offset)
        check(header["size"] == 40, f"{label}: 40-byte information header")
        check((header["width"], header["height"]) == (size, 2 * size),
              f"{label}: image {size} x {size} with its mask, bottom-up")
        check(header["planes"] == 1 and header["bits"] == bits, f"{label}: {bits} bits per pixel")
        check(header["compression"] == 0, f"{label}: uncompressed")
        table = header["colours_used"] or 2 ** bits
        expected = 40 + 4 * table + size * stride(size, bits) + size * stride(size, 1)
        check(table == 2 ** bits and length == expected,
              f"{label}: {expected} bytes: header, {table} colours, pixels and mask")
        if kind == 1:
            check((first, second) == (1, bits), f"{label}: planes and bits in the directory")
        yield header, first, second, data[offset:offset + length]


def check_icon(data, name, sizes):
    for header, _, _, image in check_directory(data, name, 1, sizes, 16, 4):
        size = header["width"]
        pixels = image[40 + 64:40 + 64 + size * stride(size, 4)]
        check(len(set(pixels)) > 2, f"{name}: a drawing, not one colour")


def check_cursor(data):
    for _, hot_x, hot_y, image in check_directory(data, "cursor11.cur", 2, [32], 2, 1):
        check((hot_x, hot_y) == (16, 0), f"cursor11.cur: hot spot (16, 0) (is ({hot_x}, {hot_y}))")
        mask = image[-128:]
        check(0 < sum(bin(b).count("1") for b in mask) < 32 * 32,
              "cursor11.cur: partly transparent")


def check_deterministic(folder):
    with tempfile.TemporaryDirectory() as again:
        subprocess.run([sys.executable, GENERATOR, again], check=True)
        for name in NAMES:
            with open(os.path.join(folder, name), "rb") as a, \
                    open(os.path.join(again, name), "rb") as b:
                check(a.read() == b.read(), f"{name}: the same bytes on every run")


def main():
    folder = sys.argv[1]
    files = {}
    for name in NAMES:
        path = os.path.join(folder, name)
        check(os.path.isfile(path), f"{name}: generated")
        if os.path.isfile(path):
            with open(path, "rb") as source:
                files[name] = source.read()
    if len(files) == len(NAMES):
        check_banner(files["banner10.bmp"])
        check_icon(files["icon10.ico"], "icon10.ico", [32, 16])
        check_icon(files["icon12.ico"], "icon12.ico", [32, 16])
        check_icon(files["icon13.ico"], "icon13.ico", [32])
        check_cursor(files["cursor11.cur"])
        check_deterministic(folder)
    print(f"{len(faults)} fault(s)")
    sys.exit(1 if faults else 0)


if __name__ == "__main__":
    main()
