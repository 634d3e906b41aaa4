#!/usr/bin/env python3
"""Draws the mixer window's bitmaps from code and writes them as 24-bit BMPs.

    python3 resources/drawbitmaps.py [output folder]    (default: resources/bitmaps)
    python3 resources/drawbitmaps.py --preview out.bmp  (the window's look, for review)

Each bitmap is drawn at 100, 125, 150, 175 and 200 % of its 96-dpi size
(name.bmp, name-125.bmp, ...): the figures below stay in 96-dpi pixels and
the canvas scales them, so the program shows a picture drawn for its scale.
The outputs are committed, so the Windows build needs nothing but them; run
this again after changing the look. Only the standard library is used.

Geometry that the widgets rely on (the code's own numbers, kept here in sync):
- fader thumbs: the reference row is row 18 of the thumb image; the tracks
  are drawn from their row 11 at the window's top, so a fader position p is
  track row p + 29; channel travel 145, master travel 171.
- knob: the 4 x 4 indicator dot's top-left corner runs on a circle of
  radius 7 round (19, 20), so the dot's centre runs round (20.5, 21.5).
- meter: over segment rows 1-6, level segment k (1..21) rows 13 + 9(k-1) to
  18 + 9(k-1), columns 1-16.
- key colours: thumbs (0xA1, 0xA3, 0xA6), the picture (0xCC, 0xCC, 0xCC).
"""

import math
import os
import struct
import sys

THUMB_KEY = (0xA1, 0xA3, 0xA6)
PICTURE_KEY = (0xCC, 0xCC, 0xCC)

# Positions of the window's pieces inside the backgrounds, so that opaque
# controls drawn over a background (knob, tracks) continue its texture.
STRIP_KNOB = (1, 262)
STRIP_FADER = (12, 338 - 11)   # where track row 0 would sit in the strip
MASTER_PANEL_ORIGIN = (440, 323)
MASTER_FADERS = ((455, 338 - 11), (483, 338 - 11))

FADER_ROW0 = 29          # track row of position 0
CHANNEL_TRAVEL = 145
MASTER_TRAVEL = 171


# --- the fader laws, to place the scale marks --------------------------------

A_DB = 20 * math.log10(2)


def law_position(db, master):
    top, u, ref = (0.0, 0.588821, 48) if master else (A_DB, 0.61, 41)
    k = math.log10(A_DB + 1) / ref ** u
    if db > top:
        db = top
    p = (math.log10(top + 1 - db) / k) ** (1 / u)
    return min(p, MASTER_TRAVEL if master else CHANNEL_TRAVEL)


# --- canvas -------------------------------------------------------------------

def clamp8(v):
    return max(0, min(255, int(round(v))))


def mix(a, b, t):
    return tuple(clamp8(a[i] + (b[i] - a[i]) * t) for i in range(3))


def shade(c, f):
    return tuple(clamp8(v * f) for v in c)


# The scales the bitmaps are drawn at, in per cent of 96 dpi; the files of
# the scales above 100 have it in their names (strip-150.bmp). Canvases are
# made at CURRENT_PERCENT.
SCALES = (100, 125, 150, 175, 200)
CURRENT_PERCENT = 100


def edge(v, percent):
    """The device position of logical edge v: to the nearest pixel, halves away
    from zero, as the program's scaling rounds (WScale::Edge)."""
    n = v * percent
    return (n + 50) // 100 if n >= 0 else -((-n + 50) // 100)


class Canvas:
    """A bitmap drawn in the 96-dpi pixels of the layout (w x h) at a scale.
    A logical pixel covers the device pixels between its scaled edges, so
    everything drawn from whole logical pixels stays sharp; the round shapes
    are drawn per device pixel (device_pixels)."""

    def __init__(self, w, h, fill=(0, 0, 0)):
        self.w, self.h = w, h
        self.percent = CURRENT_PERCENT
        self.dw, self.dh = self.e(w), self.e(h)
        self.px = [[fill] * self.dw for _ in range(self.dh)]

    def e(self, v):
        return edge(v, self.percent)

    def span(self, a, b, limit):
        return range(max(0, self.e(a)), min(limit, self.e(b)))

    def get(self, x, y):
        return self.px[min(self.e(y), self.dh - 1)][min(self.e(x), self.dw - 1)]

    def set(self, x, y, c):
        if 0 <= x < self.w and 0 <= y < self.h:
            c = tuple(clamp8(v) for v in c)
            for dy in self.span(y, y + 1, self.dh):
                for dx in self.span(x, x + 1, self.dw):
                    self.px[dy][dx] = c

    def blend(self, x, y, c, t):
        if 0 <= x < self.w and 0 <= y < self.h and t > 0:
            for dy in self.span(y, y + 1, self.dh):
                for dx in self.span(x, x + 1, self.dw):
                    self.px[dy][dx] = mix(self.px[dy][dx], c, min(1.0, t))

    def device_pixels(self, x0=0, y0=0, x1=None, y1=None):
        """The device pixels of logical columns x0..x1-1 and rows y0..y1-1, each
        as (dx, dy, x, y) with x, y its centre in logical pixel-index
        coordinates (whole numbers at 100 %)."""
        x1 = self.w if x1 is None else x1
        y1 = self.h if y1 is None else y1
        for dy in self.span(y0, y1, self.dh):
            y = (dy + 0.5) * 100 / self.percent - 0.5 if self.percent != 100 else dy
            for dx in self.span(x0, x1, self.dw):
                x = (dx + 0.5) * 100 / self.percent - 0.5 if self.percent != 100 else dx
                yield dx, dy, x, y

    def blend_device(self, dx, dy, c, t):
        if t > 0:
            self.px[dy][dx] = mix(self.px[dy][dx], c, min(1.0, t))

    def rect(self, x0, y0, x1, y1, c):
        """Fills columns x0..x1-1, rows y0..y1-1."""
        for y in self.span(y0, y1, self.dh):
            for x in self.span(x0, x1, self.dw):
                self.px[y][x] = c

    def hline(self, x0, x1, y, c):
        self.rect(x0, y, x1, y + 1, c)

    def vline(self, x, y0, y1, c):
        self.rect(x, y0, x + 1, y1, c)

    def bevel(self, x0, y0, x1, y1, light, dark):
        """A one-pixel frame: light on top and left, dark on bottom and right."""
        self.hline(x0, x1, y0, light)
        self.vline(x0, y0, y1, light)
        self.hline(x0, x1, y1 - 1, dark)
        self.vline(x1 - 1, y0, y1, dark)

    def save(self, path):
        stride = (self.dw * 3 + 3) & ~3
        pad = b"\0" * (stride - self.dw * 3)
        rows = []
        for y in range(self.dh - 1, -1, -1):  # bottom-up
            rows.append(b"".join(bytes((b, g, r)) for (r, g, b) in self.px[y]) + pad)
        data = b"".join(rows)
        header = struct.pack("<2sIHHI", b"BM", 54 + len(data), 0, 0, 54)
        info = struct.pack("<IiiHHIIiiII", 40, self.dw, self.dh, 1, 24, 0, len(data), 2835, 2835, 0, 0)
        with open(path, "wb") as f:
            f.write(header + info + data)


# --- a small pixel font --------------------------------------------------------

FONT5x7 = {
    "A": ["01110", "10001", "10001", "11111", "10001", "10001", "10001"],
    "B": ["11110", "10001", "10001", "11110", "10001", "10001", "11110"],
    "D": ["11110", "10001", "10001", "10001", "10001", "10001", "11110"],
    "E": ["11111", "10000", "10000", "11110", "10000", "10000", "11111"],
    "I": ["11111", "00100", "00100", "00100", "00100", "00100", "11111"],
    "L": ["10000", "10000", "10000", "10000", "10000", "10000", "11111"],
    "M": ["10001", "11011", "10101", "10101", "10001", "10001", "10001"],
    "N": ["10001", "11001", "10101", "10011", "10001", "10001", "10001"],
    "O": ["01110", "10001", "10001", "10001", "10001", "10001", "01110"],
    "R": ["11110", "10001", "10001", "11110", "10100", "10010", "10001"],
    "S": ["01111", "10000", "10000", "01110", "00001", "00001", "11110"],
    "T": ["11111", "00100", "00100", "00100", "00100", "00100", "00100"],
    "U": ["10001", "10001", "10001", "10001", "10001", "10001", "01110"],
    "V": ["10001", "10001", "10001", "10001", "10001", "01010", "00100"],
    "X": ["10001", "10001", "01010", "00100", "01010", "10001", "10001"],
    "-": ["00000", "00000", "00000", "11111", "00000", "00000", "00000"],
    " ": ["00000"] * 7,
}

FONT3x5 = {
    "0": ["111", "101", "101", "101", "111"],
    "1": ["010", "110", "010", "010", "111"],
    "2": ["111", "001", "111", "100", "111"],
    "3": ["111", "001", "011", "001", "111"],
    "4": ["101", "101", "111", "001", "001"],
    "5": ["111", "100", "111", "001", "111"],
    "6": ["111", "100", "111", "101", "111"],
    "8": ["111", "101", "111", "101", "111"],
    "9": ["111", "101", "111", "001", "111"],
    "+": ["000", "010", "111", "010", "000"],
    "-": ["000", "000", "111", "000", "000"],
    "L": ["100", "100", "100", "100", "111"],
    "R": ["110", "101", "110", "101", "101"],
    "A": ["010", "101", "111", "101", "101"],
    "E": ["111", "100", "110", "100", "111"],
    "M": ["101", "111", "111", "101", "101"],
    "S": ["011", "100", "010", "001", "110"],
    "T": ["111", "010", "010", "010", "010"],
    "O": ["010", "101", "101", "101", "010"],
    "U": ["101", "101", "101", "101", "111"],
    "P": ["110", "101", "110", "100", "100"],
    "N": ["110", "101", "101", "101", "101"],
    "I": ["111", "010", "010", "010", "111"],
    "C": ["011", "100", "100", "100", "011"],
    "D": ["110", "101", "101", "101", "110"],
    "B": ["110", "101", "110", "101", "110"],
    "Y": ["101", "101", "010", "010", "010"],
    "G": ["011", "100", "101", "101", "011"],
    "V": ["101", "101", "101", "101", "010"],
    "X": ["101", "101", "010", "101", "101"],
    " ": ["000"] * 5,
}


def text_width(text, font, scale=1, spacing=1):
    glyph_w = len(next(iter(font.values()))[0])
    return len(text) * (glyph_w + spacing) * scale - spacing * scale


def draw_text(cv, x, y, text, colour, font=FONT5x7, scale=1, spacing=1, shadow=None):
    glyph_w = len(next(iter(font.values()))[0])
    for ch in text:
        rows = font[ch]
        for gy, row in enumerate(rows):
            for gx, bit in enumerate(row):
                if bit == "1":
                    for sy in range(scale):
                        for sx in range(scale):
                            px, py = x + gx * scale + sx, y + gy * scale + sy
                            if shadow:
                                cv.set(px + 1, py + 1, shadow)
                            cv.set(px, py, colour)
        x += (glyph_w + spacing) * scale


def draw_text_centred(cv, cx, y, text, colour, font=FONT5x7, scale=1, shadow=None):
    draw_text(cv, cx - text_width(text, font, scale) // 2, y, text, colour, font, scale, shadow=shadow)


# --- brushed metal ---------------------------------------------------------------

def noise(x, y, seed):
    """A repeatable value in [0, 1) for a pixel."""
    n = (x * 374761393 + y * 668265263 + seed * 2147483647) & 0xFFFFFFFF
    n = ((n ^ (n >> 13)) * 1274126177) & 0xFFFFFFFF
    return ((n ^ (n >> 16)) & 0xFFFF) / 65536.0


def brushed(x, y, base=(46, 48, 53), seed=1):
    """Dark anodised aluminium brushed top to bottom: streaks that run down a
    column and drift slowly, plus fine grain. x, y are window coordinates, so
    neighbouring bitmaps continue one texture."""
    streak = 0.0
    for span, weight in ((1, 0.5), (3, 0.35), (7, 0.25)):
        streak += (noise(x // span, y // 97, seed + span) - 0.5) * weight
    grain = (noise(x, y, seed + 11) - 0.5) * 0.35
    f = 1.0 + 0.10 * streak + 0.06 * grain
    return shade(base, f)


def fill_brushed(cv, ox, oy, seed=1):
    for y in range(cv.h):
        for x in range(cv.w):
            cv.set(x, y, brushed(ox + x, oy + y, seed=seed))


def recess(cv, x0, y0, x1, y1, depth=0.55):
    """A sunken panel: darker inside with a shadowed top-left and a lit bottom-right lip."""
    for y in range(y0, y1):
        for x in range(x0, x1):
            cv.set(x, y, shade(cv.get(x, y), depth))
    cv.hline(x0, x1, y0, shade(cv.get(x0, y0), 0.5))
    cv.vline(x0, y0, y1, shade(cv.get(x0, y0 + 1), 0.6))
    for x in range(x0, x1):
        cv.set(x, y1, mix(cv.get(x, y1), (150, 152, 158), 0.45))
    for y in range(y0, y1 + 1):
        cv.set(x1, y, mix(cv.get(x1, y), (150, 152, 158), 0.35))


def screw(cv, cx, cy):
    for y in range(cy - 2, cy + 3):
        for x in range(cx - 2, cx + 3):
            d = math.hypot(x - cx, y - cy)
            if d <= 2.4:
                light = 0.5 + 0.5 * ((cx - x) + (cy - y)) / 4.8
                cv.set(x, y, mix((70, 72, 78), (175, 178, 185), light))
    cv.hline(cx - 1, cx + 2, cy, (40, 40, 44))


def plate(cv, x0, y0, x1, y1, colour=(99, 99, 99)):
    """The label's name plate: the label draws its text on grey 0x63."""
    cv.rect(x0, y0, x1, y1, colour)
    cv.bevel(x0 - 1, y0 - 1, x1 + 1, y1 + 1, (40, 40, 44), (130, 132, 138))


# --- the fader scales ---------------------------------------------------------

CHANNEL_MARKS = [(6, "+6"), (0, "0"), (-5, "5"), (-10, "10"), (-20, "20"), (-30, "30"), (-40, "40"),
                 (-60.4, "60")]
MASTER_MARKS = [(0, "0"), (-5, "5"), (-10, "10"), (-15, "15"), (-20, "20"), (-30, "30"), (-40, "40"),
                (-60.4, "60")]

SCALE_INK = (200, 202, 206)
UNITY_INK = (255, 214, 90)


def mark_row(db, master):
    """The track row of a scale mark: its reference row at that level."""
    return FADER_ROW0 + int(law_position(db, master) + 1e-6)


def slot(cv, x0, x1, top, bottom):
    """The fader's slot: a black groove with a lit lower lip."""
    cv.rect(x0, top, x1, bottom, (8, 8, 10))
    cv.vline(x0 - 1, top, bottom, (22, 22, 25))
    cv.vline(x1, top, bottom, (95, 97, 103))
    cv.hline(x0, x1, bottom, (95, 97, 103))


def scale_ticks(cv, marks, master, spans):
    for db, _ in marks:
        y = mark_row(db, master)
        colour = UNITY_INK if db == 0 else SCALE_INK
        for x0, x1 in spans:
            cv.hline(x0, x1, y, colour)
    # minor ticks between the majors, every 2.5 dB above -20
    db = 5.0 if not master else -2.5
    while db > -20:
        if all(abs(db - m) > 0.1 for m, _ in marks):
            y = mark_row(db, master)
            for x0, x1 in spans:
                cv.hline(x0 + (1 if x0 < cv.w // 2 else 0), x1 - (0 if x0 < cv.w // 2 else 1), y,
                         shade(SCALE_INK, 0.55))
        db -= 2.5


def scale_numbers(cv, marks, master, x_of, window_row0):
    """Numbers beside a fader, on a background: x_of(text) gives the left column."""
    for db, text in marks:
        y = window_row0 + mark_row(db, master) - 2
        draw_text(cv, x_of(text), y, text, UNITY_INK if db == 0 else SCALE_INK, FONT3x5)


# --- the bitmaps ----------------------------------------------------------------

def channel_strip():
    """139: one channel strip's background, 45 x 650."""
    cv = Canvas(45, 650)
    fill_brushed(cv, 0, 0)
    # light edge on the left, shadow on the right: the strips read as modules
    cv.vline(0, 0, 650, (92, 95, 102))
    cv.vline(44, 0, 650, (18, 18, 21))
    recess(cv, 11, 10, 33, 214)        # meter well (meter at 13, 12, 18 x 200)
    recess(cv, 3, 221, 41, 240, 0.7)   # read-out
    recess(cv, 10, 336, 34, 521)       # fader well (fader at 12, 338, 20 x 181)
    for y in (248, 330, 545, 600):
        cv.hline(3, 42, y, (26, 26, 30))
        cv.hline(3, 42, y + 1, (78, 80, 86))
    draw_text_centred(cv, 22, 251, "PAN", SCALE_INK, FONT3x5)
    # the fader scale on the right of the fader; the track shows the ticks
    scale_numbers(cv, CHANNEL_MARKS, False, lambda t: 35 if len(t) == 1 else 34 - (len(t) - 2) * 4 + 1,
                  STRIP_FADER[1])
    plate(cv, 3, 612, 39, 625)
    screw(cv, 22, 4)
    screw(cv, 22, 643)
    return cv


def meter_panel():
    """142: the output meters' panel, 88 x 650 at (352, 0)."""
    cv = Canvas(88, 650)
    fill_brushed(cv, 352, 0)
    cv.vline(0, 0, 650, (92, 95, 102))
    cv.vline(87, 0, 650, (18, 18, 21))
    for mx in (13, 57):
        recess(cv, mx - 2, 10, mx + 20, 214)
        recess(cv, mx - 8, 221, mx + 28, 240, 0.7)
    draw_text_centred(cv, 22, 246, "L", SCALE_INK, FONT3x5)
    draw_text_centred(cv, 66, 246, "R", SCALE_INK, FONT3x5)
    cv.hline(3, 85, 256, (26, 26, 30))
    cv.hline(3, 85, 257, (78, 80, 86))
    draw_text_centred(cv, 44, 262, "OUTPUT", SCALE_INK, FONT3x5)
    plate(cv, 5, 612, 83, 625)
    for x in (8, 80):
        screw(cv, x, 4)
        screw(cv, x, 643)
    return cv


def master_panel():
    """141: the master section's lower panel, 88 x 327 at (440, 323)."""
    cv = Canvas(88, 327)
    ox, oy = MASTER_PANEL_ORIGIN
    fill_brushed(cv, ox, oy)
    cv.vline(0, 0, 327, (92, 95, 102))
    cv.vline(87, 0, 327, (18, 18, 21))
    cv.hline(0, 88, 0, (92, 95, 102))
    recess(cv, 13, 13, 73, 230)  # both faders: (15, 15) and (43, 15), 28 x 213 each
    row0 = MASTER_FADERS[0][1] - oy
    scale_numbers(cv, MASTER_MARKS, True, lambda t: 12 - len(t) * 4, row0)
    scale_numbers(cv, MASTER_MARKS, True, lambda t: 75, row0)
    draw_text_centred(cv, 44, 264, "MASTER", SCALE_INK, FONT3x5)
    plate(cv, 5, 289, 83, 302)
    for x in (8, 80):
        screw(cv, x, 318)
    return cv


def channel_track():
    """115: the channel fader's track, 20 x 202, drawn from row 11."""
    cv = Canvas(20, 202)
    sx, sy = STRIP_FADER
    for y in range(cv.h):
        for x in range(cv.w):
            cv.set(x, y, shade(brushed(sx + x, sy + y), 0.55))  # inside the strip's fader well
    slot(cv, 9, 11, FADER_ROW0 - 4, FADER_ROW0 + CHANNEL_TRAVEL + 5)
    scale_ticks(cv, CHANNEL_MARKS, False, [(1, 6), (14, 19)])
    return cv


def master_track(left):
    """128 (left, 29 x 228) and 129 (right, 28 x 228): the two halves of the
    master pair's track. Each slot runs under its thumb's middle; the scale
    sits on the outer side."""
    w = 29 if left else 28
    cv = Canvas(w, 228)
    wx, wy = MASTER_FADERS[0 if left else 1]
    for y in range(cv.h):
        for x in range(cv.w):
            cv.set(x, y, shade(brushed(wx + x, wy + y), 0.55))
    slot_x = 17 if left else 10
    slot(cv, slot_x, slot_x + 2, FADER_ROW0 - 4, FADER_ROW0 + MASTER_TRAVEL + 5)
    scale_ticks(cv, MASTER_MARKS, True, [(1, 7)] if left else [(21, 27)])
    return cv


def thumb(w, h, body, round_left=True, round_right=True, line=(255, 255, 255)):
    """A fader cap on the key colour: a moulded body lit from above with
    grooves for the fingers and a grip line on the reference row 18."""
    cv = Canvas(w, h, THUMB_KEY)
    x0 = 1 if round_left else 0
    x1 = w - 1 if round_right else w
    top, bottom = 1, h - 1
    for y in range(top, bottom):
        t = (y - top) / (bottom - top - 1)
        # a cap: lit top face, shadowed lower half, with a soft crown in the middle
        f = 1.35 - 0.6 * t + 0.15 * math.cos((t - 0.5) * math.pi)
        for x in range(x0, x1):
            u = (x - x0) / max(1, x1 - x0 - 1)
            edge = 1.0 - 0.25 * abs(u - 0.5) * 2
            cv.set(x, y, shade(body, f * edge))
    # rounded corners back to the key colour
    for (cx, cy) in ((x0, top), (x0, bottom - 1)) if round_left else ():
        cv.set(cx, cy, THUMB_KEY)
    for (cx, cy) in ((x1 - 1, top), (x1 - 1, bottom - 1)) if round_right else ():
        cv.set(cx, cy, THUMB_KEY)
    # outline
    for y in range(top + 1, bottom - 1):
        if round_left:
            cv.set(x0, y, shade(body, 0.45))
        if round_right:
            cv.set(x1 - 1, y, shade(body, 0.35))
    cv.hline(x0 + 1, x1 - 1, top, shade(body, 1.9))
    cv.hline(x0 + 1, x1 - 1, bottom - 1, shade(body, 0.3))
    # finger grooves above and below the line
    inner0, inner1 = x0 + 2, x1 - 2
    for gy in (5, 8, 11, 25, 28, 31):
        if gy < bottom - 2:
            cv.hline(inner0, inner1, gy, shade(body, 0.55))
            cv.hline(inner0, inner1, gy + 1, shade(body, 1.5))
    cv.hline(x0, x1, 17, shade(body, 0.4))
    cv.hline(x0, x1, 18, line)
    cv.hline(x0, x1, 19, shade(body, 0.4))
    return cv


def aa_segment(cv, x0, y0, x1, y1, ink, width=1.1):
    """An anti-aliased line in pixel-index coordinates (pixel (x, y) is the point
    x, y), its soft edge one device pixel wide."""
    dx, dy = x1 - x0, y1 - y0
    length2 = dx * dx + dy * dy
    k = cv.percent / 100
    box = (int(min(x0, x1)) - 2, int(min(y0, y1)) - 2, int(max(x0, x1)) + 3, int(max(y0, y1)) + 3)
    for px, py, x, y in cv.device_pixels(*box):
        t = max(0.0, min(1.0, ((x - x0) * dx + (y - y0) * dy) / length2))
        d = math.hypot(x - (x0 + t * dx), y - (y0 + t * dy))
        alpha = width / 2 + 0.5 - d if k == 1 else (width / 2 - d) * k + 0.5
        cv.blend_device(px, py, ink, max(0.0, min(1.0, alpha)))


def knob_face():
    """116: the pan knob, 42 x 42, with its scale on the strip's metal."""
    cv = Canvas(42, 42)
    kx, ky = STRIP_KNOB
    for y in range(42):
        for x in range(42):
            cv.set(x, y, brushed(kx + x, ky + y))
    # Everything below is in pixel-index coordinates, where the 4 x 4 dot's
    # centre orbits (20.5, 21.5): the cap, its skirt and the ticks share it,
    # so the dot sits the same distance inside the cap on both sides.
    cx, cy = 20.5, 21.5
    # ticks: centre, both ends (130 degrees) and the halves between
    for deg, r0, r1, ink in ((0, 14.5, 19.5, UNITY_INK), (-130, 14.5, 19, SCALE_INK), (130, 14.5, 19, SCALE_INK),
                             (-65, 15, 18, shade(SCALE_INK, 0.7)), (65, 15, 18, shade(SCALE_INK, 0.7))):
        a = math.radians(deg)
        sx, sy = math.sin(a), -math.cos(a)
        if deg == 0:
            # straight up: two crisp columns either side of the dot's centre line
            for y in range(int(cy - r1 + 0.5), int(cy - r0 + 0.5) + 1):
                cv.blend(20, y, ink, 1.0)
                cv.blend(21, y, ink, 1.0)
            continue
        aa_segment(cv, cx + r0 * sx, cy + r0 * sy, cx + r1 * sx, cy + r1 * sy, ink)
    draw_text(cv, 2, 36, "L", SCALE_INK, FONT3x5)
    draw_text(cv, 37, 36, "R", SCALE_INK, FONT3x5)
    # body: a skirt with ridges and a shadow, then a flat lit cap; the soft
    # edges are one device pixel wide
    k = cv.percent / 100
    for px, py, x, y in cv.device_pixels():
        d = math.hypot(x - 1 - cx, y - 1 - cy)  # the shadow lies a pixel right and down
        if d <= 13.0:
            shadow = min(1.0, (13.0 - d) * k)
            cv.blend_device(px, py, (5, 5, 6), 0.5 * shadow)
    for px, py, x, y in cv.device_pixels():
        d = math.hypot(x - cx, y - cy)
        ang = math.atan2(x - cx, cy - y)
        if d <= 12.5:
            cover = min(1.0, (12.5 - d) * k)
            if d > 9.6:
                ridge = 0.8 + 0.2 * math.cos(ang * 24)
                light = 0.75 + 0.35 * (-(x - cx) - (y - cy)) / (d + 1e-9) * 0.7
                colour = shade((62, 64, 70), ridge * light)
            else:
                # the cap's top: a satin gradient lit from the upper left
                t = ((x - cx) + (y - cy)) / 19.2
                colour = mix((118, 121, 128), (44, 46, 51), t + 0.5)
                if d > 9.0:
                    colour = shade(colour, 0.7)
            cv.blend_device(px, py, colour, cover)
    return cv


def knob_dot():
    """112: the indicator dot, 4 x 4, opaque over the knob's cap."""
    cv = Canvas(4, 4, (86, 88, 94))
    cv.rect(1, 0, 3, 4, (255, 176, 40))
    cv.rect(0, 1, 4, 3, (255, 176, 40))
    cv.set(1, 1, (255, 236, 170))
    return cv


def meter():
    """118: the LED meter with every segment lit, 18 x 200."""
    cv = Canvas(18, 200, (12, 12, 13))
    cv.bevel(0, 0, 18, 200, (90, 92, 98), (150, 152, 158))  # the grey frame
    cv.rect(1, 1, 17, 199, (14, 14, 15))

    def led(top, colour):
        for y in range(top, top + 6):
            t = (y - top) / 5
            for x in range(1, 17):
                u = abs((x - 1) / 15 - 0.5) * 2
                f = 1.25 - 0.45 * t - 0.15 * u
                cv.set(x, y, shade(colour, f))
        cv.hline(2, 16, top, mix(colour, (255, 255, 255), 0.55))
        cv.hline(1, 17, top + 5, shade(colour, 0.6))

    led(1, (235, 30, 25))
    for k in range(1, 22):
        t = (k - 1) / 20  # 0 at the top, 1 at the bottom
        if t < 0.3:
            colour = mix((250, 220, 30), (200, 235, 30), t / 0.3)
        else:
            colour = mix((200, 235, 30), (40, 215, 50), min(1.0, (t - 0.3) / 0.35))
        led(13 + 9 * (k - 1), colour)
    return cv


def button(label, face, text_colour, lit):
    """109, 110, 111, 113: the solo and mute buttons, 34 x 17."""
    cv = Canvas(34, 17, (20, 20, 22))
    for y in range(1, 16):
        t = (y - 1) / 14
        f = (1.25 - 0.5 * t) if lit else (1.15 - 0.35 * t)
        for x in range(1, 33):
            cv.set(x, y, shade(face, f))
    cv.bevel(1, 1, 33, 16, mix(face, (255, 255, 255), 0.55 if lit else 0.35), shade(face, 0.45))
    cv.bevel(0, 0, 34, 17, (16, 16, 18), (16, 16, 18))
    draw_text_centred(cv, 17, 5, label, text_colour, shadow=shade(face, 0.55) if lit else None)
    return cv


def picture():
    """108: the product's name plate on the key colour, 118 x 67."""
    cv = Canvas(118, 67, PICTURE_KEY)
    # a dark badge with rounded corners
    x0, y0, x1, y1 = 2, 2, 116, 65
    for y in range(y0, y1):
        for x in range(x0, x1):
            corner = min(x - x0, x1 - 1 - x) + min(y - y0, y1 - 1 - y)
            if min(x - x0, x1 - 1 - x) < 3 and min(y - y0, y1 - 1 - y) < 3 and corner < 3:
                continue
            cv.set(x, y, brushed(x + 447, y + 230, base=(40, 42, 47), seed=5))
    for x in range(x0 + 3, x1 - 3):
        cv.set(x, y0, (120, 123, 130))
        cv.set(x, y1 - 1, (15, 15, 17))
    for y in range(y0 + 3, y1 - 3):
        cv.set(x0, y, (100, 103, 110))
        cv.set(x1 - 1, y, (15, 15, 17))
    draw_text_centred(cv, 59, 7, "VELMORA", (236, 238, 242), FONT5x7, scale=2, shadow=(10, 10, 12))
    cv.hline(10, 108, 26, (255, 176, 40))
    # a level-meter emblem: bars rising to the right, the last ones over
    heights = [4, 7, 11, 9, 14, 18, 15, 20]
    for i, h in enumerate(heights):
        bx = 11 + i * 4
        for y in range(55 - h, 55):
            t = (55 - y) / 20
            colour = mix((40, 215, 50), (250, 220, 30), t) if t < 0.9 else (235, 30, 25)
            cv.rect(bx, y, bx + 3, y + 1, colour)
    draw_text(cv, 52, 34, "X-TAMBER", (200, 202, 206), FONT5x7)
    draw_text(cv, 52, 47, "DIGITAL MIXER", (150, 152, 158), FONT3x5)
    return cv


BITMAPS = {
    108: ("picture", picture),
    109: ("solo_on", lambda: button("SOLO", (40, 110, 235), (255, 255, 255), True)),
    110: ("mute_off", lambda: button("MUTE", (92, 94, 100), (30, 30, 32), False)),
    111: ("mute_on", lambda: button("MUTE", (225, 40, 35), (255, 255, 255), True)),
    112: ("knob_dot", knob_dot),
    113: ("solo_off", lambda: button("SOLO", (92, 94, 100), (30, 30, 32), False)),
    114: ("fader_thumb", lambda: thumb(20, 35, (70, 72, 78))),
    115: ("fader_track", channel_track),
    116: ("knob", knob_face),
    118: ("meter", meter),
    122: ("master_thumb_left", lambda: thumb(18, 34, (190, 40, 36), round_right=False)),
    123: ("master_thumb_right", lambda: thumb(18, 34, (190, 40, 36), round_left=False)),
    128: ("master_track_left", lambda: master_track(True)),
    129: ("master_track_right", lambda: master_track(False)),
    139: ("strip", channel_strip),
    141: ("master_panel", master_panel),
    142: ("meter_panel", meter_panel),
}


def paste(dst, src, x, y, key=None, src_y=0, height=None, width=None):
    height = src.h - src_y if height is None else height
    width = src.w if width is None else width
    for yy in range(height):
        for xx in range(width):
            c = src.get(xx, src_y + yy)
            if c != key:
                dst.set(x + xx, y + yy, c)


def preview():
    """The mixer window's lower-left part as the widgets would draw it, for review."""
    made = {rid: make() for rid, (_, make) in BITMAPS.items()}
    cv = Canvas(570, 650, (212, 208, 200))
    for i in range(8):
        paste(cv, made[139], 44 * i, 0)
    paste(cv, made[142], 352, 0)
    paste(cv, made[141], 440, 323)
    paste(cv, made[108], 447, 230, PICTURE_KEY)
    unlit = (0, 0x33, 0)
    for m in range(10):
        x = 44 * m + 13 if m < 8 else (365, 409)[m - 8]
        lit_from = 3 + 2 * m  # a different level on every meter
        for seg in range(22):
            top = 1 if seg == 0 else 13 + 9 * (seg - 1)
            on = (seg >= lit_from) or (seg == lit_from - 3) or (seg == 0 and m == 0)
            for yy in range(top, top + 6):
                for xx in range(1, 17):
                    cv.set(x + xx, 12 + yy, made[118].get(xx, yy) if on else unlit)
        paste(cv, made[118], x, 12, width=18, height=1)
    for i in range(8):
        x0 = 44 * i
        paste(cv, made[116], x0 + 1, 262)
        pan = (i - 3.5) / 3.5
        r = math.radians(pan * 130)
        dx, dy = math.floor(19 + 7 * math.sin(r) + 0.5), math.floor(20 - 7 * math.cos(r) + 0.5)
        paste(cv, made[112], x0 + 1 + dx, 262 + dy)
        paste(cv, made[115], x0 + 12, 338, src_y=11, height=181)
        pos = [41, 0, 60, 100, 145, 20, 41, 80][i]
        paste(cv, made[114], x0 + 12, 338 + pos, THUMB_KEY)
        paste(cv, made[109 if i == 2 else 113], x0 + 5, 553)
        paste(cv, made[111 if i == 5 else 110], x0 + 5, 573)
    for (x, track, thumb_id, tx) in ((455, 128, 122, 9), (483, 129, 123, 2)):
        paste(cv, made[track], x, 338, src_y=11, height=213, width=28)
        paste(cv, made[thumb_id], x + tx, 338 + 30, THUMB_KEY)
    return cv


def main():
    args = sys.argv[1:]
    if args and args[0] == "--preview":
        preview().save(args[1] if len(args) > 1 else "preview.bmp")
        return
    out = args[0] if args else os.path.join(os.path.dirname(os.path.abspath(__file__)), "bitmaps")
    os.makedirs(out, exist_ok=True)
    global CURRENT_PERCENT
    for percent in SCALES:
        CURRENT_PERCENT = percent
        suffix = "" if percent == 100 else "-%d" % percent
        for _, (name, make) in sorted(BITMAPS.items()):
            make().save(os.path.join(out, name + suffix + ".bmp"))


if __name__ == "__main__":
    main()
