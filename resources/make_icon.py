#!/usr/bin/env python3
"""Draws the mixer's program icon (three faders on a dark tile) into velmora.ico.

Pure Python, no imaging library: every size is drawn from the same shapes in
unit coordinates, anti-aliased by 4 x 4 supersampling, so the picture can be
re-tuned here and regenerated with `python3 resources/make_icon.py`.
Sizes 16, 24, 32 and 48 are stored as 32-bit DIBs with alpha, 256 as PNG.
"""

import os
import struct
import sys
import zlib

SIZES = (16, 24, 32, 48, 256)
SUB = 4  # supersamples per axis

TILE_TOP = (0x46, 0x50, 0x60)
TILE_BOTTOM = (0x1C, 0x21, 0x29)
TRACK = (0x08, 0x0A, 0x0D)
CAP = (0xF0, 0xA8, 0x30)
CAP_LINE = (0x40, 0x28, 0x08)
TRACKS_X = (0.30, 0.50, 0.70)
CAPS_Y = (0.62, 0.34, 0.50)


def in_round_rect(x, y, left, top, right, bottom, radius):
    if x < left or x > right or y < top or y > bottom:
        return False
    cx = min(max(x, left + radius), right - radius)
    cy = min(max(y, top + radius), bottom - radius)
    return (x - cx) ** 2 + (y - cy) ** 2 <= radius * radius


def sample(x, y):
    """Colour and opacity of one point of the unit square."""
    if not in_round_rect(x, y, 0.04, 0.04, 0.96, 0.96, 0.18):
        return None
    for tx, cy in zip(TRACKS_X, CAPS_Y):
        if in_round_rect(x, y, tx - 0.09, cy - 0.06, tx + 0.09, cy + 0.06, 0.025):
            return CAP_LINE if abs(y - cy) < 0.012 else CAP
    for tx in TRACKS_X:
        if in_round_rect(x, y, tx - 0.025, 0.16, tx + 0.025, 0.84, 0.025):
            return TRACK
    t = (y - 0.04) / 0.92
    return tuple(round(a + (b - a) * t) for a, b in zip(TILE_TOP, TILE_BOTTOM))


def render(size):
    """Rows of (r, g, b, a), top row first."""
    rows = []
    for py in range(size):
        row = []
        for px in range(size):
            r = g = b = covered = 0
            for sy in range(SUB):
                for sx in range(SUB):
                    c = sample((px + (sx + 0.5) / SUB) / size, (py + (sy + 0.5) / SUB) / size)
                    if c is not None:
                        r, g, b, covered = r + c[0], g + c[1], b + c[2], covered + 1
            if covered == 0:
                row.append((0, 0, 0, 0))
            else:
                row.append((r // covered, g // covered, b // covered, covered * 255 // (SUB * SUB)))
        rows.append(row)
    return rows


def dib(size, rows):
    header = struct.pack("<IiiHHIIiiII", 40, size, size * 2, 1, 32, 0, 0, 0, 0, 0, 0)
    pixels = b"".join(bytes((b, g, r, a)) for row in reversed(rows) for (r, g, b, a) in row)
    mask_stride = ((size + 31) // 32) * 4
    mask = bytearray()
    for row in reversed(rows):
        bits = bytearray(mask_stride)
        for x, (_, _, _, a) in enumerate(row):
            if a == 0:
                bits[x // 8] |= 0x80 >> (x % 8)
        mask += bits
    return header + pixels + bytes(mask)


def png(size, rows):
    def chunk(kind, data):
        body = kind + data
        return struct.pack(">I", len(data)) + body + struct.pack(">I", zlib.crc32(body) & 0xFFFFFFFF)

    raw = b"".join(b"\x00" + b"".join(bytes(p) for p in row) for row in rows)
    return (b"\x89PNG\r\n\x1a\n" + chunk(b"IHDR", struct.pack(">IIBBBBB", size, size, 8, 6, 0, 0, 0))
            + chunk(b"IDAT", zlib.compress(raw, 9)) + chunk(b"IEND", b""))


def main():
    out = sys.argv[1] if len(sys.argv) > 1 else os.path.join(os.path.dirname(__file__), "velmora.ico")
    images = []
    for size in SIZES:
        rows = render(size)
        images.append((size, png(size, rows) if size >= 256 else dib(size, rows)))
    directory = struct.pack("<HHH", 0, 1, len(images))
    offset = 6 + 16 * len(images)
    data = b""
    for size, blob in images:
        directory += struct.pack("<BBBBHHII", size % 256, size % 256, 0, 0, 1, 32, len(blob), offset + len(data))
        data += blob
    with open(out, "wb") as f:
        f.write(directory + data)


if __name__ == "__main__":
    main()
