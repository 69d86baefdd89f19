#!/usr/bin/env python3
"""Draws Kalvora's pictures (circuit diagram, button glyphs, window icon) as XPM files,
the application icon shipped beside the program as a PNG file, and the same icon
for the desktop's icon theme at the usual sizes (PNG) and as a scalable SVG.

Run from the repository root: python3 tools/make_pictures.py
The XPM and PNG files in resources/images/ and resources/icons/ are the output; keep them in step.
"""
import math
import os
import struct
import zlib

OUT = os.path.join(os.path.dirname(__file__), "..", "resources", "images")
# The icon theme's files, installed as share/icons/hicolor/<size>/apps/<id>.png|svg.
ICONS = os.path.join(os.path.dirname(__file__), "..", "resources", "icons")
HICOLOR_SIZES = (16, 22, 24, 32, 48, 64, 128, 256)

# A tiny bitmap font for the labels of the circuit (7 rows, '#' = ink).
FONT = {
    "R": ["#### ", "#   #", "#   #", "#### ", "# #  ", "#  # ", "#   #"],
    "L": ["#    ", "#    ", "#    ", "#    ", "#    ", "#    ", "#####"],
    "C": [" ### ", "#   #", "#    ", "#    ", "#    ", "#   #", " ### "],
    "U": ["#   #", "#   #", "#   #", "#   #", "#   #", "#   #", " ### "],
    "e": ["    ", "    ", " ## ", "#  #", "####", "#   ", " ###"],
    "a": ["    ", "    ", " ## ", "   #", " ###", "#  #", " ###"],
    "i": ["#", " ", "#", "#", "#", "#", "#"],
}


class Picture:
    def __init__(self, w, h, bg):
        self.w, self.h = w, h
        self.px = [[bg] * w for _ in range(h)]

    def set(self, x, y, c):
        if 0 <= x < self.w and 0 <= y < self.h:
            self.px[y][x] = c

    def line(self, x0, y0, x1, y1, c, width=1):
        dx, dy = abs(x1 - x0), -abs(y1 - y0)
        sx, sy = (1 if x0 < x1 else -1), (1 if y0 < y1 else -1)
        err = dx + dy
        while True:
            for ox in range(width):
                for oy in range(width):
                    self.set(x0 + ox - width // 2, y0 + oy - width // 2, c)
            if x0 == x1 and y0 == y1:
                break
            e2 = 2 * err
            if e2 >= dy:
                err += dy
                x0 += sx
            if e2 <= dx:
                err += dx
                y0 += sy

    def rect(self, x0, y0, x1, y1, outline, fill=None):
        for y in range(y0, y1 + 1):
            for x in range(x0, x1 + 1):
                edge = x in (x0, x1) or y in (y0, y1)
                if edge:
                    self.set(x, y, outline)
                elif fill is not None:
                    self.set(x, y, fill)

    def circle(self, cx, cy, r, outline, fill=None):
        for y in range(cy - r - 1, cy + r + 2):
            for x in range(cx - r - 1, cx + r + 2):
                d = math.hypot(x - cx, y - cy)
                if abs(d - r) < 0.6:
                    self.set(x, y, outline)
                elif d < r and fill is not None:
                    self.set(x, y, fill)

    def text(self, x, y, s, c, scale=1):
        for ch in s:
            glyph = FONT[ch]
            for gy, row in enumerate(glyph):
                for gx, cell in enumerate(row):
                    if cell == "#":
                        for sx in range(scale):
                            for sy in range(scale):
                                self.set(x + gx * scale + sx, y + gy * scale + sy, c)
            x += (len(glyph[0]) + 1) * scale

    def arrow_up(self, x, y0, y1, c):
        self.line(x, y0, x, y1, c)
        for k in range(1, 4):
            self.line(x - k, y1 + k, x + k, y1 + k, c)

    def save(self, name, palette):
        chars = {}
        codes = "abcdefghijklmnop"
        for i, (key, rgb) in enumerate(palette.items()):
            chars[key] = codes[i] if rgb != "None" else " "
        lines = ['/* XPM */', 'static const char* %s[] = {' % name.replace("-", "_"),
                 '"%d %d %d 1",' % (self.w, self.h, len(palette))]
        for key, rgb in palette.items():
            lines.append('"%s c %s",' % (chars[key], rgb))
        rows = ['"%s"' % "".join(chars[c] for c in row) for row in self.px]
        lines.append(",\n".join(rows))
        lines.append("};")
        with open(os.path.join(OUT, name + ".xpm"), "w") as f:
            f.write("\n".join(lines) + "\n")


def circuit():
    """Series RLC circuit: input U_e left, R and L in the upper line, C across the output U_a."""
    p = Picture(207, 149, "W")
    ink, part = "K", "B"
    top, bottom = 40, 118
    xl, xr = 14, 192
    # Terminals and wires.
    for x in (xl, xr):
        p.circle(x, top, 3, ink, "W")
        p.circle(x, bottom, 3, ink, "W")
    p.line(xl + 4, top, 36, top, ink)
    p.rect(36, top - 7, 72, top + 7, ink, part)          # resistor
    p.line(73, top, 90, top, ink)
    p.rect(90, top - 5, 126, top + 5, ink, ink)          # inductor (filled bar)
    p.line(127, top, xr - 4, top, ink)
    p.line(xl + 4, bottom, xr - 4, bottom, ink)
    # Capacitor across the output, plates horizontal.
    xc = 150
    p.line(xc, top, xc, 74, ink)
    p.line(xc - 14, 74, xc + 14, 74, ink, 3)
    p.line(xc - 14, 84, xc + 14, 84, ink, 3)
    p.line(xc, 84, xc, bottom, ink)
    for x in (xc,):
        p.circle(x, top, 2, ink, ink)
        p.circle(x, bottom, 2, ink, ink)
    # Labels.
    p.text(49, top - 24, "R", ink, 2)
    p.text(103, top - 24, "L", ink, 2)
    p.text(xc + 18, 72, "C", ink, 2)
    p.arrow_up(xl, bottom - 10, top + 10, "G")
    p.text(xl + 6, 70, "U", ink, 2)
    p.text(xl + 18, 80, "e", ink)
    p.arrow_up(xr, bottom - 10, top + 10, "G")
    p.text(xr - 30, 100, "U", ink, 2)
    p.text(xr - 18, 110, "a", ink)
    p.save("circuit", {"W": "#FFFFFF", "K": "#000000", "B": "#C0C0C0", "G": "#800000"})


def glyph_reset():
    p = Picture(16, 16, "N")
    for a in range(40, 330, 4):
        r = math.radians(a)
        p.set(round(8 + 5 * math.cos(r)), round(8 - 5 * math.sin(r)), "G")
        p.set(round(8 + 4 * math.cos(r)), round(8 - 4 * math.sin(r)), "G")
    for k in range(4):
        p.line(12 - k, 2 + k, 12 - k, 5, "G")
    p.save("reset", {"N": "None", "G": "#008000"})


def glyph_about():
    p = Picture(16, 16, "N")
    p.circle(8, 8, 7, "B", "B")
    p.text(8, 4, "i", "W")
    p.save("about", {"N": "None", "B": "#000080", "W": "#FFFFFF"})


def glyph_exit():
    p = Picture(16, 16, "N")
    p.rect(2, 1, 9, 14, "K", "D")
    p.line(8, 8, 14, 8, "R", 2)
    for k in range(1, 4):
        p.line(14 - k, 8 - k, 14 - k, 8 + k, "R")
    p.save("exit", {"N": "None", "K": "#000000", "D": "#808000", "R": "#800000"})


def glyph_ok():
    p = Picture(16, 16, "N")
    p.line(2, 8, 6, 12, "G", 2)
    p.line(6, 12, 13, 3, "G", 2)
    p.save("ok", {"N": "None", "G": "#008000"})


def icon():
    """Window icon: a damped oscillation on a white page."""
    p = Picture(32, 32, "N")
    p.rect(1, 1, 30, 30, "K", "W")
    p.line(3, 16, 28, 16, "S")
    prev = None
    for x in range(3, 29):
        t = (x - 3) / 25.0
        y = round(16 - 11 * math.exp(-2.2 * t) * math.sin(2 * math.pi * 2.5 * t))
        if prev:
            p.line(prev[0], prev[1], x, y, "B")
        prev = (x, y)
    p.save("kalvora", {"N": "None", "K": "#000000", "W": "#FFFFFF", "S": "#C0C0C0", "B": "#000080"})


def write_png(path, w, h, rgba_rows):
    """Writes 8-bit RGBA rows (lists of (r, g, b, a) tuples) as a PNG file."""
    def chunk(kind, data):
        body = kind + data
        return struct.pack(">I", len(data)) + body + struct.pack(">I", zlib.crc32(body) & 0xFFFFFFFF)
    raw = b"".join(b"\x00" + bytes(v for px in row for v in px) for row in rgba_rows)
    png = (b"\x89PNG\r\n\x1a\n" + chunk(b"IHDR", struct.pack(">IIBBBBB", w, h, 8, 6, 0, 0, 0)) +
           chunk(b"IDAT", zlib.compress(raw, 9)) + chunk(b"IEND", b""))
    with open(path, "wb") as f:
        f.write(png)


# The application icon's design, in units of a 64-pixel tile.
ICON_CREAM, ICON_RIM, ICON_AXIS, ICON_CURVE = (255, 250, 228), (128, 0, 0), (160, 160, 160), (0, 0, 128)


def icon_curve(t):
    """The damped oscillation across the tile, t = 0 .. 1, as a fraction of its amplitude."""
    return math.exp(-2.4 * t) * math.sin(2 * math.pi * 3 * t)


def app_icon_rows(size, ss=4):
    """Application icon: a damped oscillation on a cream tile with a maroon rim,
    drawn at ss times the size and averaged down for smooth edges. Lines keep
    at least about one pixel of width at the small sizes."""
    k = size / 64.0
    n = size * ss
    px = [[None] * n for _ in range(n)]
    radius, border = 10 * k * ss, max(3 * k, 1) * ss
    inset = 2 * k * ss

    def inside_rounded(x, y, lo, hi, r):
        cx = min(max(x, lo + r), hi - r)
        cy = min(max(y, lo + r), hi - r)
        return (x - cx) ** 2 + (y - cy) ** 2 <= r * r and lo <= x <= hi and lo <= y <= hi

    for y in range(n):
        for x in range(n):
            if inside_rounded(x + 0.5, y + 0.5, inset, n - inset, radius):
                inner = inside_rounded(x + 0.5, y + 0.5, inset + border, n - inset - border, radius - border)
                px[y][x] = ICON_CREAM if inner else ICON_RIM
    mid = n // 2
    left, right = int(round(9 * k * ss)), n - int(round(9 * k * ss))
    half = max(ss // 2, int(round(ss * k / 2)))
    for x in range(left, right if size >= 32 else left):  # too busy below 32 pixels
        for t in range(-half, half + 1):
            px[mid + t][x] = ICON_AXIS

    def dot(cx, cy, r, c):
        for y in range(int(cy - r) - 1, int(cy + r) + 2):
            for x in range(int(cx - r) - 1, int(cx + r) + 2):
                if 0 <= x < n and 0 <= y < n and (x + 0.5 - cx) ** 2 + (y + 0.5 - cy) ** 2 <= r * r:
                    px[y][x] = c

    steps = max(2000, 2 * (right - left))
    amp = 19 * k * ss
    r = max(1.6 * k, 0.8) * ss
    for i in range(steps + 1):
        t = i / steps
        dot(left + t * (right - left), mid - amp * icon_curve(t), r, ICON_CURVE)

    rows = []
    for y in range(size):
        row = []
        for x in range(size):
            r = g = b = a = 0
            for sy in range(ss):
                for sx in range(ss):
                    c = px[y * ss + sy][x * ss + sx]
                    if c is not None:
                        r += c[0]
                        g += c[1]
                        b += c[2]
                        a += 1
            row.append((r // a, g // a, b // a, a * 255 // (ss * ss)) if a else (0, 0, 0, 0))
        rows.append(row)
    return rows


def app_icon():
    """The icon shipped beside the program (named by the translation tables)."""
    write_png(os.path.join(OUT, "kalvora.png"), 64, 64, app_icon_rows(64))


def hex_colour(c):
    return "#%02X%02X%02X" % c


def desktop_icons():
    """The desktop's icon theme files: the application icon at the usual sizes
    and as a scalable drawing of the same design."""
    for size in HICOLOR_SIZES:
        folder = os.path.join(ICONS, "%dx%d" % (size, size))
        os.makedirs(folder, exist_ok=True)
        write_png(os.path.join(folder, "kalvora.png"), size, size, app_icon_rows(size))
    points = " ".join("%.2f,%.2f" % (9 + t * 46, 32 - 19 * icon_curve(t))
                      for t in (i / 240 for i in range(241)))
    svg = """<?xml version="1.0" encoding="UTF-8"?>
<svg xmlns="http://www.w3.org/2000/svg" width="64" height="64" viewBox="0 0 64 64">
  <rect x="2" y="2" width="60" height="60" rx="10" fill="%s"/>
  <rect x="5" y="5" width="54" height="54" rx="7" fill="%s"/>
  <line x1="9" y1="32" x2="55" y2="32" stroke="%s" stroke-width="1.25"/>
  <polyline points="%s" fill="none" stroke="%s" stroke-width="3.2" stroke-linecap="round" stroke-linejoin="round"/>
</svg>
""" % (hex_colour(ICON_RIM), hex_colour(ICON_CREAM), hex_colour(ICON_AXIS), points, hex_colour(ICON_CURVE))
    folder = os.path.join(ICONS, "scalable")
    os.makedirs(folder, exist_ok=True)
    with open(os.path.join(folder, "kalvora.svg"), "w") as f:
        f.write(svg)


if __name__ == "__main__":
    os.makedirs(OUT, exist_ok=True)
    circuit()
    glyph_reset()
    glyph_about()
    glyph_exit()
    glyph_ok()
    icon()
    app_icon()
    desktop_icons()
