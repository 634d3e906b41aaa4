#!/usr/bin/env python3
"""Draws the control panel's icons from code and writes them as .ico files.

Run from this folder: python3 drawicons.py [FOLDER]. Each icon is drawn on a
unit square with a few shapes, supersampled for smooth edges, at every size
the panel shows it in at the usual scales, so none is stretched, and stored as
32-bit images with alpha. FOLDER (default: this one) is where they go.
"""
import math
import os
import struct
import sys

SUPER = 4


def blend(dst, src, alpha):
    """Composites colour `src` with coverage `alpha` over pixel `dst` (RGBA floats)."""
    a = alpha * src[3]
    out_a = a + dst[3] * (1 - a)
    if out_a == 0:
        return (0.0, 0.0, 0.0, 0.0)
    rgb = tuple((src[i] * a + dst[i] * dst[3] * (1 - a)) / out_a for i in range(3))
    return rgb + (out_a,)


class Canvas:
    def __init__(self, size):
        self.size = size
        self.px = [[(0.0, 0.0, 0.0, 0.0)] * size for _ in range(size)]

    def fill(self, inside, colour):
        """Paints `colour` where inside(x, y) holds, x and y in 0..1."""
        n = self.size
        for row in range(n):
            for col in range(n):
                hits = 0
                for sy in range(SUPER):
                    for sx in range(SUPER):
                        x = (col + (sx + 0.5) / SUPER) / n
                        y = (row + (sy + 0.5) / SUPER) / n
                        hits += inside(x, y)
                if hits:
                    self.px[row][col] = blend(self.px[row][col], colour, hits / SUPER ** 2)


def rounded(x0, y0, x1, y1, r):
    def inside(x, y):
        if not (x0 <= x <= x1 and y0 <= y <= y1):
            return False
        cx = min(max(x, x0 + r), x1 - r)
        cy = min(max(y, y0 + r), y1 - r)
        return (x - cx) ** 2 + (y - cy) ** 2 <= r * r
    return inside


def circle(cx, cy, r):
    return lambda x, y: (x - cx) ** 2 + (y - cy) ** 2 <= r * r


def ring(cx, cy, r, w):
    return lambda x, y: (r - w) ** 2 <= (x - cx) ** 2 + (y - cy) ** 2 <= r * r


def segment(ax, ay, bx, by, w):
    def inside(x, y):
        dx, dy = bx - ax, by - ay
        t = max(0.0, min(1.0, ((x - ax) * dx + (y - ay) * dy) / (dx * dx + dy * dy)))
        return (x - ax - t * dx) ** 2 + (y - ay - t * dy) ** 2 <= (w / 2) ** 2
    return inside


def polygon(points):
    def inside(x, y):
        hit = False
        for i in range(len(points)):
            (x0, y0), (x1, y1) = points[i], points[i - 1]
            if (y0 > y) != (y1 > y) and x < (x1 - x0) * (y - y0) / (y1 - y0) + x0:
                hit = not hit
        return hit
    return inside


def rgb(hex_colour, a=1.0):
    return tuple(int(hex_colour[i:i + 2], 16) / 255 for i in (0, 2, 4)) + (a,)


BLUE, DARK, WHITE = rgb("2F6DB5"), rgb("1E3A5F"), rgb("FFFFFF")
SILVER, GREY, GREEN = rgb("C9CED6"), rgb("6B7480"), rgb("3DBB4F")
AMBER, RED = rgb("F2B233"), rgb("D9483B")


def panel(c):
    c.fill(rounded(0.06, 0.06, 0.94, 0.94, 0.16), BLUE)
    for i, level in enumerate((0.55, 0.35, 0.45)):
        x = 0.3 + 0.2 * i
        c.fill(segment(x, 0.24, x, 0.76, 0.07), rgb("FFFFFF", 0.55))
        c.fill(rounded(x - 0.09, level - 0.05, x + 0.09, level + 0.05, 0.03), WHITE)


def devices(c):
    c.fill(rounded(0.04, 0.22, 0.96, 0.78, 0.1), GREY)
    c.fill(rounded(0.09, 0.27, 0.91, 0.73, 0.07), SILVER)
    c.fill(circle(0.24, 0.5, 0.08), GREEN)
    for i in range(3):
        c.fill(circle(0.5 + 0.14 * i, 0.5, 0.055), DARK)


def settings(c):
    for i, knob in enumerate((0.3, 0.68, 0.48)):
        y = 0.2 + 0.3 * i
        c.fill(segment(0.08, y, 0.92, y, 0.08), GREY)
        c.fill(rounded(knob - 0.1, y - 0.12, knob + 0.1, y + 0.12, 0.04), BLUE)


def channels(c):
    for i, level in enumerate((0.55, 0.8, 0.4, 0.65)):
        x0 = 0.08 + 0.22 * i
        c.fill(rounded(x0, 0.08, x0 + 0.16, 0.92, 0.03), rgb("DDE1E6"))
        top = 0.92 - 0.84 * level
        c.fill(rounded(x0, top, x0 + 0.16, 0.92, 0.03), GREEN)
        if level > 0.7:
            c.fill(rounded(x0, top, x0 + 0.16, top + 0.12, 0.03), AMBER)


def streams(c):
    for y, colour in ((0.3, BLUE), (0.7, GREEN)):
        c.fill(segment(0.1, y, 0.62, y, 0.14), colour)
        c.fill(polygon([(0.56, y - 0.2), (0.94, y), (0.56, y + 0.2)]), colour)


def sync(c):
    c.fill(circle(0.5, 0.5, 0.45), WHITE)
    c.fill(ring(0.5, 0.5, 0.45, 0.09), BLUE)
    for k in range(12):
        a = k * math.pi / 6
        c.fill(circle(0.5 + 0.29 * math.cos(a), 0.5 + 0.29 * math.sin(a), 0.025), GREY)
    c.fill(segment(0.5, 0.5, 0.5, 0.22, 0.08), DARK)
    c.fill(segment(0.5, 0.5, 0.7, 0.6, 0.08), DARK)
    c.fill(circle(0.5, 0.5, 0.06), RED)


def ico(draw, sizes):
    """The bytes of an .ico file holding the drawing at each size."""
    images = []
    for n in sizes:
        c = Canvas(n)
        draw(c)
        header = struct.pack("<IiiHHIIiiII", 40, n, 2 * n, 1, 32, 0, 0, 0, 0, 0, 0)
        rows = []
        for row in reversed(c.px):
            rows.append(b"".join(struct.pack("BBBB", *(round(p[i] * 255) for i in (2, 1, 0, 3))) for p in row))
        mask_stride = ((n + 31) // 32) * 4
        images.append(header + b"".join(rows) + b"\0" * mask_stride * n)
    out = struct.pack("<HHH", 0, 1, len(images))
    offset = 6 + 16 * len(images)
    for n, data in zip(sizes, images):
        out += struct.pack("<BBBBHHII", n % 256, n % 256, 0, 0, 1, 32, len(data), offset)
        offset += len(data)
    return out + b"".join(images)


# The tree's icons at 16 pixels and at that times each usual scale (125 %
# to 300 %); the panel's own also at the caption's and task bar's sizes of
# those scales, the About box's at the task bar's.
TREE = (16, 20, 24, 28, 32, 40, 48)
FRAME = (16, 20, 24, 28, 32, 40, 48, 64, 96)

ICONS = {
    "panel.ico": (panel, FRAME),
    "devices.ico": (devices, TREE),
    "settings.ico": (settings, TREE),
    "channels.ico": (channels, TREE),
    "streams.ico": (streams, TREE),
    "sync.ico": (sync, TREE),
    "about.ico": (panel, (32, 40, 48, 64, 96)),
}

if __name__ == "__main__":
    folder = sys.argv[1] if len(sys.argv) > 1 else "."
    for name, (draw, sizes) in ICONS.items():
        with open(os.path.join(folder, name), "wb") as f:
            f.write(ico(draw, sizes))
