#!/usr/bin/env python3
"""Draws the program's artwork into a folder, the same bytes on every run.

banner10.bmp  the banner tile: 196 x 62, 8 bits per pixel, 256 colours
icon10.ico    window icon: 32 x 32 and 16 x 16, 16 colours
icon12.ico    confirmation icon: 32 x 32 and 16 x 16, 16 colours
icon13.ico    failure icon: 32 x 32, 16 colours
cursor11.cur  banner cursor: 32 x 32, monochrome, hot spot (16, 0)

The banner is drawn with SRCAND over a light-red hatch: white lets the hatch
show through, dark colours cover it.
"""
import argparse
import os
import struct

# The sixteen colours of the standard VGA palette, as (red, green, blue).
VGA = [
    (0, 0, 0), (128, 0, 0), (0, 128, 0), (128, 128, 0),
    (0, 0, 128), (128, 0, 128), (0, 128, 128), (192, 192, 192),
    (128, 128, 128), (255, 0, 0), (0, 255, 0), (255, 255, 0),
    (0, 0, 255), (255, 0, 255), (0, 255, 255), (255, 255, 255),
]
BLACK, MAROON, GREEN, OLIVE, NAVY, PURPLE, TEAL, SILVER = range(8)
GRAY, RED, LIME, YELLOW, BLUE, FUCHSIA, AQUA, WHITE = range(8, 16)

# A 5 x 7 pixel font with the letters the artwork spells.
FONT = {
    "T": ["#####", "..#..", "..#..", "..#..", "..#..", "..#..", "..#.."],
    "X": ["#...#", "#...#", ".#.#.", "..#..", ".#.#.", "#...#", "#...#"],
    "O": [".###.", "#...#", "#...#", "#...#", "#...#", "#...#", ".###."],
    "V": ["#...#", "#...#", "#...#", "#...#", "#...#", ".#.#.", "..#.."],
    "I": ["#####", "..#..", "..#..", "..#..", "..#..", "..#..", "#####"],
    "0": [".###.", "#...#", "#..##", "#.#.#", "##..#", "#...#", ".###."],
    "3": ["####.", "....#", "....#", ".###.", "....#", "....#", "####."],
    "4": ["...#.", "..##.", ".#.#.", "#..#.", "#####", "...#.", "...#."],
}


class Canvas:
    """A grid of palette indices; None marks a transparent pixel."""

    def __init__(self, width, height, fill):
        self.width = width
        self.height = height
        self.pixels = [[fill] * width for _ in range(height)]

    def put(self, x, y, colour):
        if 0 <= x < self.width and 0 <= y < self.height:
            self.pixels[y][x] = colour

    def rect(self, left, top, right, bottom, colour):
        """Fills left <= x < right, top <= y < bottom."""
        for y in range(top, bottom):
            for x in range(left, right):
                self.put(x, y, colour)

    def frame(self, left, top, right, bottom, colour):
        self.rect(left, top, right, top + 1, colour)
        self.rect(left, bottom - 1, right, bottom, colour)
        self.rect(left, top, left + 1, bottom, colour)
        self.rect(right - 1, top, right, bottom, colour)

    def text(self, x, y, word, colour, scale=1, gap=1):
        for letter in word:
            for row, line in enumerate(FONT[letter]):
                for column, mark in enumerate(line):
                    if mark == "#":
                        self.rect(x + column * scale, y + row * scale,
                                  x + (column + 1) * scale, y + (row + 1) * scale, colour)
            x += (5 + gap) * scale

    def disc(self, cx, cy, radius, colour):
        for y in range(cy - radius, cy + radius + 1):
            for x in range(cx - radius, cx + radius + 1):
                if (x - cx) ** 2 + (y - cy) ** 2 <= radius * radius + radius:
                    self.put(x, y, colour)


def text_width(word, scale=1, gap=1):
    return (len(word) * (5 + gap) - gap) * scale


def draw_chip(canvas, left, top, size, body, pin, pins_per_side, pin_length):
    """A square package with pins on all four sides."""
    right, bottom = left + size, top + size
    canvas.rect(left, top, right, bottom, body)
    pitch = size // (pins_per_side + 1)
    for n in range(1, pins_per_side + 1):
        offset = n * pitch
        canvas.rect(left - pin_length, top + offset - 1, left, top + offset + 1, pin)
        canvas.rect(right, top + offset - 1, right + pin_length, top + offset + 1, pin)
        canvas.rect(left + offset - 1, top - pin_length, left + offset + 1, top, pin)
        canvas.rect(left + offset - 1, bottom, left + offset + 1, bottom + pin_length, pin)


def via(canvas, x, y, colour):
    canvas.frame(x - 1, y - 1, x + 2, y + 2, colour)


def draw_banner():
    canvas = Canvas(196, 62, WHITE)
    canvas.frame(0, 0, 196, 62, NAVY)
    # The chip, with white "TX" that lets the hatch show through.
    draw_chip(canvas, 12, 11, 40, BLACK, GRAY, 6, 4)
    canvas.text(32 - text_width("TX", 2) // 2, 24, "TX", WHITE, scale=2)
    canvas.disc(17, 16, 2, GRAY)
    # Traces leaving the chip's right side towards the lettering.
    for n, y in enumerate((16, 21, 26, 31, 36, 41, 46)):
        end = 60 + 2 * n
        canvas.rect(56, y, end, y + 1, GREEN)
        via(canvas, end + 1, y, GREEN)
    canvas.text(78, 7, "TOVI", NAVY, scale=3)
    canvas.text(78, 39, "430TX", GREEN, scale=2)
    # A bus along the bottom and a few traces at the right edge.
    canvas.rect(4, 57, 192, 58, OLIVE)
    for x in (156, 167, 178, 189):
        canvas.rect(x, 10, x + 1, 57, OLIVE)
        via(canvas, x, 9, OLIVE)
    for x in range(8, 190, 12):
        via(canvas, x, 57, OLIVE)
    return canvas


def banner_palette():
    """The sixteen VGA colours, a 6 x 6 x 6 colour cube and a grey ramp."""
    colours = list(VGA)
    levels = (0, 51, 102, 153, 204, 255)
    colours += [(r, g, b) for r in levels for g in levels for b in levels]
    colours += [(8 + 10 * n, 8 + 10 * n, 8 + 10 * n) for n in range(24)]
    assert len(colours) == 256
    return colours


def info_header(width, height, bits, image_size, colours_used):
    return struct.pack("<IiiHHIIiiII", 40, width, height, 1, bits, 0, image_size, 0, 0,
                       colours_used, 0)


def palette_bytes(colours):
    return b"".join(struct.pack("<BBBB", b, g, r, 0) for r, g, b in colours)


def row_stride(width, bits):
    return (width * bits + 31) // 32 * 4


def pack_rows(canvas, bits, value_of):
    """Rows bottom-up, each padded to a multiple of four bytes."""
    stride = row_stride(canvas.width, bits)
    per_byte = 8 // bits
    data = bytearray()
    for row in reversed(canvas.pixels):
        packed = bytearray(stride)
        for x, pixel in enumerate(row):
            shift = 8 - bits * (x % per_byte + 1)
            packed[x // per_byte] |= value_of(pixel) << shift
        data += packed
    return bytes(data)


def bitmap_file(canvas):
    pixels = pack_rows(canvas, 8, lambda pixel: pixel)
    body = info_header(canvas.width, canvas.height, 8, len(pixels), 0)
    body += palette_bytes(banner_palette()) + pixels
    header = struct.pack("<2sIHHI", b"BM", 14 + len(body), 0, 0, 14 + 40 + 1024)
    return header + body


def mask_rows(canvas):
    """The AND mask: 1 where the picture is transparent."""
    return pack_rows(canvas, 1, lambda pixel: 1 if pixel is None else 0)


def icon_image(canvas):
    colours = pack_rows(canvas, 4, lambda pixel: 0 if pixel is None else pixel)
    mask = mask_rows(canvas)
    header = info_header(canvas.width, canvas.height * 2, 4, len(colours) + len(mask), 0)
    return header + palette_bytes(VGA) + colours + mask


def cursor_image(canvas):
    """Monochrome: colour 0 black, 1 white; transparent pixels are 0 under mask 1."""
    colours = pack_rows(canvas, 1, lambda pixel: 1 if pixel == WHITE else 0)
    mask = mask_rows(canvas)
    header = info_header(canvas.width, canvas.height * 2, 1, len(colours) + len(mask), 0)
    return header + palette_bytes([(0, 0, 0), (255, 255, 255)]) + colours + mask


def directory_file(kind, entries):
    """An icon (kind 1) or cursor (kind 2) file: (width, height, colours, field4,
    field6, image) per entry; for icons the fields are planes and bits per pixel,
    for cursors the hot spot."""
    offset = 6 + 16 * len(entries)
    head = struct.pack("<HHH", 0, kind, len(entries))
    images = b""
    for width, height, colours, first, second, image in entries:
        head += struct.pack("<BBBBHHII", width % 256, height % 256, colours, 0, first, second,
                            len(image), offset + len(images))
        images += image
    return head + images


def icon_file(canvases):
    return directory_file(1, [(c.width, c.height, 16, 1, 4, icon_image(c)) for c in canvases])


def chip_icon(size):
    """The window icon: the chip with "TX" on it."""
    canvas = Canvas(size, size, None)
    if size == 32:
        draw_chip(canvas, 5, 5, 22, BLACK, SILVER, 4, 3)
        canvas.text(16 - text_width("TX", 1) // 2, 12, "TX", YELLOW)
        canvas.put(7, 7, SILVER)
    else:
        draw_chip(canvas, 3, 3, 10, BLACK, SILVER, 2, 2)
        canvas.rect(5, 7, 11, 9, YELLOW)
    return canvas


def board_icon(size):
    """The confirmation icon: a green board with a chip and gold traces."""
    canvas = Canvas(size, size, None)
    unit = size // 16
    canvas.rect(unit, 2 * unit, size - unit, size - 2 * unit, GREEN)
    canvas.frame(unit, 2 * unit, size - unit, size - 2 * unit, BLACK)
    canvas.rect(5 * unit, 5 * unit, 11 * unit, 11 * unit, BLACK)
    for y in (6 * unit, 9 * unit):
        canvas.rect(2 * unit, y, 5 * unit, y + unit // 2 + 1, YELLOW)
        canvas.rect(11 * unit, y, 14 * unit, y + unit // 2 + 1, YELLOW)
    if size == 32:
        canvas.text(16 - text_width("TX", 1) // 2, 12, "TX", WHITE)
    return canvas


def failure_icon():
    """The failure icon: the chip under a red disc with a white cross."""
    canvas = chip_icon(32)
    canvas.disc(21, 21, 9, RED)
    for step in range(-5, 6):
        canvas.rect(21 + step - 1, 21 + step - 1, 21 + step + 1, 21 + step + 1, WHITE)
        canvas.rect(21 + step - 1, 21 - step - 1, 21 + step + 1, 21 - step + 1, WHITE)
    return canvas


def probe_cursor():
    """An arrow pointing straight up, its tip at (16, 0): white, outlined black."""
    canvas = Canvas(32, 32, None)
    for y in range(12):
        canvas.rect(16 - y, y, 17 + y, y + 1, BLACK)
        if 1 <= y <= 10:
            canvas.rect(17 - y, y, 16 + y, y + 1, WHITE)
    canvas.rect(13, 12, 20, 30, BLACK)
    canvas.rect(14, 11, 19, 29, WHITE)
    return canvas


def cursor_file(canvas, hot_x, hot_y):
    return directory_file(2, [(canvas.width, canvas.height, 2, hot_x, hot_y,
                               cursor_image(canvas))])


def artwork():
    return {
        "banner10.bmp": bitmap_file(draw_banner()),
        "icon10.ico": icon_file([chip_icon(32), chip_icon(16)]),
        "icon12.ico": icon_file([board_icon(32), board_icon(16)]),
        "icon13.ico": icon_file([failure_icon()]),
        "cursor11.cur": cursor_file(probe_cursor(), 16, 0),
    }


def main():
    parser = argparse.ArgumentParser(description=__doc__,
                                     formatter_class=argparse.RawDescriptionHelpFormatter)
    parser.add_argument("folder")
    args = parser.parse_args()
    os.makedirs(args.folder, exist_ok=True)
    for name, data in artwork().items():
        with open(os.path.join(args.folder, name), "wb") as out:
            out.write(data)


if __name__ == "__main__":
    main()
