#!/usr/bin/env python3
"""Draws the application's icons and the QuickTimer cell picture at every size
the program uses and writes them as .ico and .bmp files into res/icons/.

Each picture is described once, in a 16 x 16 design grid, with shapes (boxes,
discs, strokes, arcs, polygons) that are drawn afresh at each size: box edges
fall on whole pixels, round and slanted edges are anti-aliased, and strokes
get relatively thinner at the large sizes, so that no size is a stretched copy
of another. Some pictures add detail where there is room for it.

Sizes: the program's icon (128) at 16, 20, 24, 32, 40, 48, 64 and 256 pixels
(256 stored PNG-compressed, as the system expects); the menu and check icons
at 16, 20, 24, 32, 40 and 48 (a menu's picture is 16 pixels at 96 DPI, 20 at
120, 24 at 144, 32 at 192, ...); the cell picture as one bitmap per size.

Run this script after changing a picture and commit the files it writes (the
build uses the committed files). `--png DIR` also writes every image as a PNG
into DIR, to look at."""
import argparse
import math
import os
import struct
import sys
import zlib

APP_SIZES = (16, 20, 24, 32, 40, 48, 64, 256)
MENU_SIZES = (16, 20, 24, 32, 40, 48)
CELL_SIZES = (16, 20, 24, 32, 40, 48)

SUPERSAMPLE = 4  # per axis, for the anti-aliased edges


def rnd(v):
    """To the nearest whole pixel, halves up (Python's round() goes to even)."""
    return int(math.floor(v + 0.5))


class Canvas:
    """A size x size RGBA picture; shapes are given in 16-unit design coordinates."""

    def __init__(self, size):
        self.size = size
        self.s = size / 16.0
        # Straight (not premultiplied) colour, alpha 0..1.
        self.px = [[(0.0, 0.0, 0.0, 0.0)] * size for _ in range(size)]

    # ---- pixels ----
    def blend(self, x, y, rgba, coverage):
        if coverage <= 0 or not (0 <= x < self.size and 0 <= y < self.size):
            return
        r, g, b, a = rgba
        a = a / 255.0 * min(coverage, 1.0)
        dr, dg, db, da = self.px[y][x]
        out = a + da * (1 - a)
        if out <= 0:
            return
        self.px[y][x] = ((r * a + dr * da * (1 - a)) / out, (g * a + dg * da * (1 - a)) / out,
                         (b * a + db * da * (1 - a)) / out, out)

    def stroke_px(self, width):
        """A stroke `width` units wide in pixels: thinner, relative to the picture, at the large sizes."""
        thin = 1.0 if self.size <= 24 else 0.8 if self.size <= 48 else 0.6
        return max(1.0, width * self.s * thin)

    def fill_px(self, x0, y0, x1, y1, rgba):
        """Whole pixels [x0, x1) x [y0, y1)."""
        for y in range(max(0, y0), min(self.size, y1)):
            for x in range(max(0, x0), min(self.size, x1)):
                self.blend(x, y, rgba, 1.0)

    def cover(self, bounds, inside, deep=None, outside=None, rgba=None):
        """Anti-aliased fill of a shape: inside(px, py) for points in pixel coordinates.
        deep/outside(x, y) may say at once that the pixel (x, y) lies wholly in or out."""
        x0, y0, x1, y1 = bounds
        n = SUPERSAMPLE
        for y in range(max(0, int(math.floor(y0))), min(self.size, int(math.ceil(y1)) + 1)):
            for x in range(max(0, int(math.floor(x0))), min(self.size, int(math.ceil(x1)) + 1)):
                if outside is not None and outside(x, y):
                    continue
                if deep is not None and deep(x, y):
                    self.blend(x, y, rgba, 1.0)
                    continue
                hits = 0
                for j in range(n):
                    for i in range(n):
                        if inside(x + (i + 0.5) / n, y + (j + 0.5) / n):
                            hits += 1
                self.blend(x, y, rgba, hits / (n * n))

    # ---- shapes in design units ----
    def box(self, x0, y0, x1, y1, rgba):
        """The design cells x0..x1, y0..y1 (inclusive), edges on whole pixels."""
        s = self.s
        px0, py0 = rnd(x0 * s), rnd(y0 * s)
        px1, py1 = max(px0 + 1, rnd((x1 + 1) * s)), max(py0 + 1, rnd((y1 + 1) * s))
        self.fill_px(px0, py0, px1, py1, rgba)

    def frame(self, x0, y0, x1, y1, rgba, width=1):
        """The border of the cells x0..x1, y0..y1, `width` units thick."""
        s = self.s
        px0, py0 = rnd(x0 * s), rnd(y0 * s)
        px1, py1 = rnd((x1 + 1) * s), rnd((y1 + 1) * s)
        w = max(1, rnd(self.stroke_px(width)))
        self.fill_px(px0, py0, px1, py0 + w, rgba)
        self.fill_px(px0, py1 - w, px1, py1, rgba)
        self.fill_px(px0, py0, px0 + w, py1, rgba)
        self.fill_px(px1 - w, py0, px1, py1, rgba)

    def disc(self, cx, cy, r, rgba):
        s = self.s
        cx, cy, r = cx * s, cy * s, r * s

        def dist(x, y):
            return math.hypot(x + 0.5 - cx, y + 0.5 - cy)

        self.cover((cx - r, cy - r, cx + r, cy + r), lambda px, py: (px - cx) ** 2 + (py - cy) ** 2 <= r * r,
                   deep=lambda x, y: dist(x, y) <= r - 0.71, outside=lambda x, y: dist(x, y) >= r + 0.71, rgba=rgba)

    def ring(self, cx, cy, r, width, rgba, start=0.0, end=360.0):
        """A circle line (an arc from `start` to `end` degrees, clockwise from 12 o'clock)."""
        s = self.s
        cx, cy, r = cx * s, cy * s, r * s
        half = self.stroke_px(width) / 2

        def angle_ok(px, py):
            if end - start >= 360:
                return True
            a = math.degrees(math.atan2(px - cx, -(py - cy))) % 360
            return (a - start) % 360 <= (end - start) % 360

        self.cover((cx - r - half, cy - r - half, cx + r + half, cy + r + half),
                   lambda px, py: abs(math.hypot(px - cx, py - cy) - r) <= half and angle_ok(px, py),
                   outside=lambda x, y: abs(math.hypot(x + 0.5 - cx, y + 0.5 - cy) - r) >= half + 0.71, rgba=rgba)

    def line(self, x0, y0, x1, y1, rgba, width=1):
        """A stroke between two design points, square-ended. Upright and level strokes
        are laid on whole pixels."""
        s = self.s
        w = self.stroke_px(width)
        if x0 == x1 or y0 == y1:
            wp = max(1, rnd(w))
            if x0 == x1:
                left = rnd(x0 * s - wp / 2)
                top, bottom = sorted((y0 * s, y1 * s))
                self.fill_px(left, rnd(top - wp / 2), left + wp, rnd(bottom + wp / 2), rgba)
            else:
                top = rnd(y0 * s - wp / 2)
                left, right = sorted((x0 * s, x1 * s))
                self.fill_px(rnd(left - wp / 2), top, rnd(right + wp / 2), top + wp, rgba)
            return
        ax, ay, bx, by = x0 * s, y0 * s, x1 * s, y1 * s
        dx, dy = bx - ax, by - ay
        length = math.hypot(dx, dy)
        ux, uy = dx / length, dy / length
        half = w / 2

        def inside(px, py):
            t = (px - ax) * ux + (py - ay) * uy
            d = abs((px - ax) * uy - (py - ay) * ux)
            return -half <= t <= length + half and d <= half

        pad = half + 1
        self.cover((min(ax, bx) - pad, min(ay, by) - pad, max(ax, bx) + pad, max(ay, by) + pad), inside, rgba=rgba)

    def polygon(self, points, rgba):
        s = self.s
        pts = [(x * s, y * s) for x, y in points]

        def inside(px, py):
            hit = False
            j = len(pts) - 1
            for i in range(len(pts)):
                xi, yi = pts[i]
                xj, yj = pts[j]
                if (yi > py) != (yj > py) and px < (xj - xi) * (py - yi) / (yj - yi) + xi:
                    hit = not hit
                j = i
            return hit

        xs = [p[0] for p in pts]
        ys = [p[1] for p in pts]
        self.cover((min(xs), min(ys), max(xs), max(ys)), inside, rgba=rgba)

    def rgba_bytes(self, x, y):
        r, g, b, a = self.px[y][x]
        return (int(round(r)), int(round(g)), int(round(b)), int(round(a * 255)))


BLACK = (0, 0, 0, 255)
WHITE = (255, 255, 255, 255)
NAVY = (32, 48, 112, 255)
RED = (200, 32, 32, 255)
PINK = (255, 160, 160, 255)
GREEN = (24, 150, 48, 255)
DARKGREEN = (16, 96, 32, 255)
BLUE = (40, 100, 210, 255)
SKY = (150, 200, 250, 255)
GREY = (128, 128, 128, 255)
LIGHT = (212, 208, 200, 255)  # the classic button face
YELLOW = (240, 200, 40, 255)
BROWN = (140, 90, 40, 255)


def dial(c, cx, cy, r, ring=NAVY, rim=1.2, ticks=True):
    """A clock face: a rim, hour marks where there is room, and two hands."""
    c.disc(cx, cy, r, ring)
    c.disc(cx, cy, r - rim, WHITE)
    inside = r - rim
    if ticks:
        marks = 12 if inside * c.s >= 10 else 4
        for i in range(marks):
            a = math.radians(i * 360 / marks)
            major = i % (marks // 4) == 0
            outer = inside - 0.3
            inner = outer - inside * (0.24 if major else 0.13)
            c.line(cx + inner * math.sin(a), cy - inner * math.cos(a), cx + outer * math.sin(a),
                   cy - outer * math.cos(a), ring, width=0.8 if major else 0.5)
    c.line(cx, cy, cx, cy - inside * 0.72, BLACK)  # minute hand at twelve
    c.line(cx, cy, cx + inside * 0.5, cy, BLACK)  # hour hand at three


def clock(c):
    dial(c, 8, 8, 7.6)
    if c.size >= 32:
        # A second hand and the centre cap where they show.
        c.line(8, 8, 8 - 4.2 * math.sin(math.radians(40)), 8 + 4.2 * math.cos(math.radians(40)), RED, width=0.35)
        c.disc(8, 8, 0.6, RED)
    else:
        c.disc(8.5, 8.5, 0.55, RED)


def check(c):
    w = 2.2
    c.line(3.2, 8.3, 6.3, 11.4, BLACK, width=w)
    c.line(6.3, 11.4, 13.4, 4.3, BLACK, width=w)
    c.disc(6.3, 11.4, c.stroke_px(w) / 2 / c.s, BLACK)  # the joint, round


def quicktimer(c):
    # A stopwatch: crown, button and a dial with one hand.
    c.box(6, 0, 9, 1, GREY)
    c.box(7, 2, 8, 2, GREY)
    c.line(12.3, 2.3, 13.6, 3.6, GREY, width=1.2)
    c.disc(8, 9.5, 6.5, RED)
    c.disc(8, 9.5, 5.2, WHITE)
    if c.size >= 32:
        for i in range(12):
            a = math.radians(i * 30)
            c.line(8 + 4.1 * math.sin(a), 9.5 - 4.1 * math.cos(a), 8 + 4.8 * math.sin(a), 9.5 - 4.8 * math.cos(a),
                   RED, width=0.5)
    c.line(8, 9.5, 8, 5.5, BLACK)
    c.line(8, 9.5, 10.8, 9.5, BLACK)


def calendar(c):
    c.box(1, 2, 14, 14, WHITE)
    c.frame(1, 2, 14, 14, GREY)
    c.box(1, 2, 14, 5, RED)
    c.box(4, 1, 4, 3, BLACK)
    c.box(11, 1, 11, 3, BLACK)
    for y in (7, 9, 11, 13):
        for x in (3, 5, 7, 9, 11):
            c.box(x, y, x, y, NAVY)
    dial(c, 11.5, 11.5, 4.4, ticks=c.size >= 32)


def exit_door(c):
    # An open door with an arrow leaving it.
    c.box(1, 1, 8, 14, BROWN)
    c.frame(1, 1, 8, 14, BLACK)
    c.disc(7.5, 8.5, 0.7, YELLOW)
    c.line(8.5, 7.5, 12.5, 7.5, RED, width=2)
    c.polygon([(11.5, 4.2), (15.8, 7.5), (11.5, 10.8)], RED)


def window_frame(c):
    c.box(1, 2, 14, 13, BLUE)
    c.box(3, 4, 12, 11, WHITE)
    c.frame(1, 2, 14, 13, NAVY)
    c.frame(3, 4, 12, 11, NAVY)
    # The sizing grip in the corner.
    c.line(11.5, 13.5, 14.5, 10.5, WHITE, width=0.8)
    c.line(13.2, 13.8, 14.8, 12.2, WHITE, width=0.8)


def tasktray(c):
    # The right end of a taskbar with a small clock in it.
    c.box(0, 9, 15, 15, LIGHT)
    c.box(0, 9, 15, 9, WHITE)
    c.box(4, 11, 14, 14, GREY)
    c.box(5, 12, 14, 14, LIGHT)
    dial(c, 8, 6, 5, ticks=c.size >= 32)


def topmost(c):
    # A push pin.
    c.line(6, 10, 1.5, 14.5, GREY, width=1.3)
    c.line(4.5, 8.5, 9.5, 13.5, RED, width=1.4)
    c.disc(9.5, 5.5, 4.2, RED)
    c.disc(8.5, 4.5, 1.3, PINK)


def version(c):
    c.disc(8, 8, 7.6, BLUE)
    c.disc(7.9, 3.9, 1.0, WHITE)
    c.box(7, 6, 8, 12, WHITE)
    c.box(6, 6, 6, 6, WHITE)
    c.box(6, 12, 9, 12, WHITE)


def transparent(c):
    # A checkerboard seen through a window with a title bar.
    squares = 4 if c.size < 32 else 6
    for j in range(squares):
        for i in range(squares):
            colour = GREY if (i + j) % 2 else WHITE
            x0, x1 = 1 + 14 * i / squares, 1 + 14 * (i + 1) / squares
            y0, y1 = 1 + 14 * j / squares, 1 + 14 * (j + 1) / squares
            c.fill_px(rnd(x0 * c.s), rnd(y0 * c.s), rnd(x1 * c.s), rnd(y1 * c.s), colour)
    c.box(1, 1, 14, 3, BLUE)
    c.frame(1, 1, 14, 14, NAVY)


def menu_icons(c):
    # A menu with a picture column.
    c.box(1, 1, 14, 14, WHITE)
    c.frame(1, 1, 14, 14, GREY)
    for y, colour in ((3, RED), (7, GREEN), (11, BLUE)):
        c.box(3, y, 5, y + 2, colour)
        c.line(7, y + 1.5, 12.5, y + 1.5, BLACK)


def time_adjust(c):
    # A clock with two arrows going round it: synchronising.
    dial(c, 8, 8, 5.2, ticks=c.size >= 32)
    c.ring(8, 8, 7.0, 1.0, GREEN, 20, 150)
    c.ring(8, 8, 7.0, 1.0, GREEN, 200, 330)
    c.polygon([(12.5, 0.8), (15.6, 3.2), (11.6, 4.6)], DARKGREEN)
    c.polygon([(3.5, 15.2), (0.4, 12.8), (4.4, 11.4)], DARKGREEN)


def launcher(c):
    # Four application tiles.
    for (x, y, colour) in ((1, 1, RED), (9, 1, GREEN), (1, 9, BLUE), (9, 9, YELLOW)):
        c.box(x, y, x + 5, y + 5, colour)
        c.frame(x, y, x + 5, y + 5, BLACK)


def execute_adjust(c):
    # A clock and a green arrow: adjust now.
    dial(c, 6.5, 6.5, 6, ticks=c.size >= 32)
    c.polygon([(9, 8), (15.8, 11.5), (9, 15.8)], GREEN)
    c.line(9.2, 8.4, 15.2, 11.5, DARKGREEN, width=0.7)
    c.line(9.2, 15.4, 15.2, 11.7, DARKGREEN, width=0.7)


def start_at_sign_in(c):
    # A person signing in, and the clock that comes with them.
    c.polygon([(0.6, 15.6), (1.2, 11.4), (5, 9.6), (8.8, 11.4), (9.4, 15.6)], BLUE)
    c.disc(5, 6.4, 2.7, BLUE)
    dial(c, 10.6, 5.2, 5, ticks=c.size >= 32)


def cell(c):
    # The QuickTimer cell picture: an hourglass on the button face.
    c.box(0, 0, 15, 15, LIGHT)
    c.box(3, 1, 12, 2, BROWN)
    c.box(3, 13, 12, 14, BROWN)
    c.polygon([(4, 3), (12, 3), (8, 8)], SKY)
    c.polygon([(4, 13), (12, 13), (8, 8)], SKY)
    c.polygon([(5, 13), (11, 13), (8, 10.2)], YELLOW)
    c.line(8, 8, 8, 10.6, YELLOW, width=0.8)
    c.line(4, 3, 8, 8, BLACK, width=0.9)
    c.line(12, 3, 8, 8, BLACK, width=0.9)
    c.line(4, 13, 8, 8, BLACK, width=0.9)
    c.line(12, 13, 8, 8, BLACK, width=0.9)


ICONS = {
    "velta.ico": (clock, APP_SIZES),
    "check.ico": (check, MENU_SIZES),
    "quicktimer.ico": (quicktimer, MENU_SIZES),
    "date_and_clock.ico": (calendar, MENU_SIZES),
    "exit.ico": (exit_door, MENU_SIZES),
    "window_frame.ico": (window_frame, MENU_SIZES),
    "tasktray.ico": (tasktray, MENU_SIZES),
    "topmost.ico": (topmost, MENU_SIZES),
    "version.ico": (version, MENU_SIZES),
    "transparent.ico": (transparent, MENU_SIZES),
    "menu_icons.ico": (menu_icons, MENU_SIZES),
    "time_adjust.ico": (time_adjust, MENU_SIZES),
    "launcher.ico": (launcher, MENU_SIZES),
    "execute_adjust.ico": (execute_adjust, MENU_SIZES),
    "start_at_sign_in.ico": (start_at_sign_in, MENU_SIZES),
}

# The 16-pixel cell picture keeps its old name; the others carry their size.
BITMAPS = {("cells.bmp" if size == 16 else "cells_%d.bmp" % size): (cell, size) for size in CELL_SIZES}


def draw(picture, size):
    canvas = Canvas(size)
    picture(canvas)
    return canvas


def png_bytes(canvas):
    rows = bytearray()
    for y in range(canvas.size):
        rows.append(0)  # no filter
        for x in range(canvas.size):
            rows += bytes(canvas.rgba_bytes(x, y))

    def chunk(kind, data):
        return struct.pack(">I", len(data)) + kind + data + struct.pack(">I", zlib.crc32(kind + data) & 0xFFFFFFFF)

    header = struct.pack(">IIBBBBB", canvas.size, canvas.size, 8, 6, 0, 0, 0)  # 8-bit RGBA
    return (b"\x89PNG\r\n\x1a\n" + chunk(b"IHDR", header) + chunk(b"IDAT", zlib.compress(bytes(rows), 9)) +
            chunk(b"IEND", b""))


def dib_bytes(canvas):
    # 32-bit BGRA image, bottom-up, followed by the 1-bit AND mask (rows padded to 32 bits).
    n = canvas.size
    xor = bytearray()
    for y in reversed(range(n)):
        for x in range(n):
            r, g, b, a = canvas.rgba_bytes(x, y)
            xor += bytes((b, g, r, a))
    mask = bytearray()
    row_bytes = (n + 31) // 32 * 4
    for y in reversed(range(n)):
        row = bytearray(row_bytes)
        for x in range(n):
            if canvas.rgba_bytes(x, y)[3] == 0:
                row[x // 8] |= 0x80 >> (x % 8)
        mask += row
    header = struct.pack("<IiiHHIIiiII", 40, n, n * 2, 1, 32, 0, len(xor) + len(mask), 0, 0, 0, 0)
    return header + xor + mask


def write_ico(path, canvases):
    images = [png_bytes(c) if c.size >= 256 else dib_bytes(c) for c in canvases]
    offset = 6 + 16 * len(images)
    with open(path, "wb") as f:
        f.write(struct.pack("<HHH", 0, 1, len(images)))
        for canvas, image in zip(canvases, images):
            side = canvas.size if canvas.size < 256 else 0  # 0 stands for 256
            f.write(struct.pack("<BBBBHHII", side, side, 0, 0, 1, 32, len(image), offset))
            offset += len(image)
        for image in images:
            f.write(image)


def write_bmp(path, canvas):
    # 24-bit bottom-up, rows padded to a multiple of 4 bytes, on the picture's own opaque ground.
    n = canvas.size
    stride = (n * 3 + 3) // 4 * 4
    rows = bytearray()
    for y in reversed(range(n)):
        row = bytearray()
        for x in range(n):
            r, g, b, a = canvas.rgba_bytes(x, y)
            row += bytes((b, g, r))
        rows += row + bytes(stride - len(row))
    info = struct.pack("<IiiHHIIiiII", 40, n, n, 1, 24, 0, len(rows), 2835, 2835, 0, 0)
    with open(path, "wb") as f:
        f.write(struct.pack("<2sIHHI", b"BM", 14 + len(info) + len(rows), 0, 0, 14 + len(info)))
        f.write(info)
        f.write(rows)


def main():
    parser = argparse.ArgumentParser(description=__doc__.split("\n\n")[0])
    parser.add_argument("--png", metavar="DIR", help="also write every image as a PNG into DIR")
    args = parser.parse_args()
    out = os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "res", "icons")
    os.makedirs(out, exist_ok=True)
    if args.png:
        os.makedirs(args.png, exist_ok=True)
    for name, (picture, sizes) in ICONS.items():
        canvases = [draw(picture, size) for size in sizes]
        write_ico(os.path.join(out, name), canvases)
        if args.png:
            for canvas in canvases:
                with open(os.path.join(args.png, "%s-%d.png" % (name[:-4], canvas.size)), "wb") as f:
                    f.write(png_bytes(canvas))
    for name, (picture, size) in BITMAPS.items():
        canvas = draw(picture, size)
        write_bmp(os.path.join(out, name), canvas)
        if args.png:
            with open(os.path.join(args.png, "%s.png" % name[:-4]), "wb") as f:
                f.write(png_bytes(canvas))
    return 0


if __name__ == "__main__":
    sys.exit(main())
