"""Reading BMP files and judging the banner in a picture of the screen."""

import struct

HATCH = (255, 122, 122)  # 0x007A7AFF as red, green, blue
WHITE = (255, 255, 255)
HATCH_PERIOD = 8


class Picture:
    """An uncompressed BMP of 8 (with colour table) or 24 bits per pixel."""

    def __init__(self, data):
        if data[:2] != b"BM":
            raise ValueError("not a BMP file")
        offset = struct.unpack_from("<I", data, 10)[0]
        header_size, width, height, _, bits, compression = struct.unpack_from("<IiiHHI", data, 14)
        if compression != 0 or bits not in (8, 24):
            raise ValueError(f"unsupported BMP: {bits} bits, compression {compression}")
        self.palette = []
        if bits == 8:
            colours = struct.unpack_from("<I", data, 46)[0] or 256
            table = 14 + header_size
            for i in range(colours):
                blue, green, red = data[table + 4 * i: table + 4 * i + 3]
                self.palette.append((red, green, blue))
        self.width = width
        self.height = abs(height)
        self.bits = bits
        row_bytes = (width * bits // 8 + 3) & ~3
        self.rows = []
        for y in range(self.height):
            stored = self.height - 1 - y if height > 0 else y
            start = offset + stored * row_bytes
            self.rows.append(data[start:start + row_bytes])

    def at(self, x, y):
        row = self.rows[y]
        if self.bits == 8:
            return self.palette[row[x]]
        return (row[3 * x + 2], row[3 * x + 1], row[3 * x])


def and_colour(a, b):
    return (a[0] & b[0], a[1] & b[1], a[2] & b[2])


def visible_client_pixels(banner, covered, row_step=3):
    """Client-area pixels of the banner (client x, client y, screen x, screen y)
    that no box covers, on every `row_step`-th row."""
    origin_x, origin_y, width, height = banner["client"]
    for cy in range(0, height, row_step):
        sy = origin_y + cy
        hidden = [(rect[0] - origin_x, rect[2] - origin_x) for rect in covered
                  if rect[1] <= sy < rect[3]]
        for cx in range(width):
            if any(start <= cx < end for start, end in hidden):
                continue
            yield cx, cy, origin_x + cx, sy


def tile_mismatches(screen, tile, banner, covered, shift=(0, 0)):
    """Pixels whose colour is not the tile's pixel ANDed with white or with the
    hatch colour, with tiles placed from the client origin in steps of the
    tile size (moved by `shift` for a control), and the number compared."""
    compared = 0
    wrong = 0
    for cx, cy, sx, sy in visible_client_pixels(banner, covered):
        tx = (cx - shift[0]) % tile.width
        ty = (cy - shift[1]) % tile.height
        pixel = tile.at(tx, ty)
        seen = screen.at(sx, sy)
        compared += 1
        if seen != and_colour(pixel, WHITE) and seen != and_colour(pixel, HATCH):
            wrong += 1
    return wrong, compared


def hatch_findings(screen, tile, banner, covered):
    """Where the tile is white the hatch shows: light red on diagonals running
    down from left to right (x - y constant modulo 8), white between them."""
    residues = set()
    red = 0
    white_tile = 0
    other = 0
    for cx, cy, sx, sy in visible_client_pixels(banner, covered):
        if tile.at(cx % tile.width, cy % tile.height) != WHITE:
            continue
        white_tile += 1
        seen = screen.at(sx, sy)
        if seen == HATCH:
            red += 1
            residues.add((cx - cy) % HATCH_PERIOD)
        elif seen != WHITE:
            other += 1
    return {"red": red, "white_tile_pixels": white_tile, "other": other,
            "residues": sorted(residues)}


BLACK = (0, 0, 0)
CLOSE_BOX_REACH = 40  # the close box lies within this many pixels of the right edge


def close_box_glyph(screen, banner):
    """The black pixels of the caption's right end, where the close box
    shows its glyph, as (x, y) pairs."""
    left, top, right, _ = banner["rect"]
    client_top = banner["client"][1]
    return {(x, y) for y in range(max(top, 0), client_top)
            for x in range(max(right - CLOSE_BOX_REACH, left, 0), min(right, screen.width))
            if screen.at(x, y) == BLACK}


def judge_close_box(screen, banner):
    """Failures of the close box: Windows draws its cross with the Marlett
    font, a glyph that is the same mirrored left to right and top to bottom;
    a stand-in font shows the letter "r" in its place."""
    glyph = close_box_glyph(screen, banner)
    if len(glyph) < 6:
        return [f"no close-box glyph in the caption ({len(glyph)} black pixels)"]
    xs = [x for x, _ in glyph]
    ys = [y for _, y in glyph]
    mirrored = {(min(xs) + max(xs) - x, y) for x, y in glyph}
    flipped = {(x, min(ys) + max(ys) - y) for x, y in glyph}
    if mirrored != glyph or flipped != glyph:
        return ["the close box shows no cross: its glyph is not symmetric (a stand-in font "
                "for Marlett?)"]
    return []


def judge_banner(screen, tile, banner, covered):
    """Failures (texts) of the banner's picture: the hatch colour and pattern,
    the tiles at their places, and the close box of its caption."""
    failures = judge_close_box(screen, banner)
    hatch = hatch_findings(screen, tile, banner, covered)
    share = hatch["red"] / max(hatch["white_tile_pixels"], 1)
    if hatch["red"] == 0:
        failures.append("no pixel of the hatch colour RGB(255,122,122) in the banner")
    if len(hatch["residues"]) != 1:
        failures.append(f"hatch pixels not on one family of diagonals: {hatch}")
    if not 0.9 / HATCH_PERIOD <= share <= 1.1 / HATCH_PERIOD:
        failures.append(f"hatch density {share:.3f}, expected one pixel in {HATCH_PERIOD}")
    if hatch["other"]:
        failures.append(f"{hatch['other']} pixels neither white nor hatch under white tile parts")
    wrong, compared = tile_mismatches(screen, tile, banner, covered)
    if compared == 0 or wrong > compared // 1000:
        failures.append(f"tiles not at their places: {wrong} of {compared} pixels differ")
    moved_wrong, moved_compared = tile_mismatches(
        screen, tile, banner, covered, shift=(tile.width // 2, tile.height // 2))
    if moved_wrong < moved_compared // 50:
        failures.append("tiles match as well when moved by half a tile: the picture proves nothing")
    return failures
