#!/usr/bin/env python3
"""Draws the application's 16 x 16 icons and the cell bitmap and writes them as
.ico and .bmp files into res/icons/.

The pictures are small enough to be described as code; run this script after
changing one and commit the .ico it writes (the build uses the committed files)."""
import math
import os
import struct
import sys

SIZE = 16


class Canvas:
    def __init__(self):
        self.px = [[(0, 0, 0, 0)] * SIZE for _ in range(SIZE)]

    def set(self, x, y, rgba):
        if 0 <= x < SIZE and 0 <= y < SIZE:
            self.px[y][x] = rgba

    def rect(self, x0, y0, x1, y1, rgba):
        for y in range(y0, y1 + 1):
            for x in range(x0, x1 + 1):
                self.set(x, y, rgba)

    def frame(self, x0, y0, x1, y1, rgba):
        for x in range(x0, x1 + 1):
            self.set(x, y0, rgba)
            self.set(x, y1, rgba)
        for y in range(y0, y1 + 1):
            self.set(x0, y, rgba)
            self.set(x1, y, rgba)

    def disc(self, cx, cy, r, rgba):
        for y in range(SIZE):
            for x in range(SIZE):
                if (x + 0.5 - cx) ** 2 + (y + 0.5 - cy) ** 2 <= r * r:
                    self.set(x, y, rgba)

    def line(self, x0, y0, x1, y1, rgba):
        steps = max(abs(x1 - x0), abs(y1 - y0), 1)
        for i in range(steps + 1):
            self.set(round(x0 + (x1 - x0) * i / steps), round(y0 + (y1 - y0) * i / steps), rgba)


BLACK = (0, 0, 0, 255)
WHITE = (255, 255, 255, 255)
NAVY = (32, 48, 112, 255)
RED = (200, 32, 32, 255)
GREEN = (24, 150, 48, 255)
DARKGREEN = (16, 96, 32, 255)
BLUE = (40, 100, 210, 255)
SKY = (150, 200, 250, 255)
GREY = (128, 128, 128, 255)
LIGHT = (212, 208, 200, 255)  # the classic button face
YELLOW = (240, 200, 40, 255)
ORANGE = (230, 130, 30, 255)
BROWN = (140, 90, 40, 255)


def clock():
    c = Canvas()
    c.disc(8, 8, 7.6, NAVY)
    c.disc(8, 8, 6.4, WHITE)
    for a in range(0, 360, 90):
        x = 8 + 5.2 * math.sin(math.radians(a))
        y = 8 - 5.2 * math.cos(math.radians(a))
        c.set(int(x), int(y), NAVY)
    c.line(7, 7, 7, 3, BLACK)      # minute hand
    c.line(7, 7, 10, 9, BLACK)     # hour hand
    c.set(7, 8, RED)
    return c


def small_clock(c, cx, cy, r, ring=NAVY):
    c.disc(cx, cy, r, ring)
    c.disc(cx, cy, r - 1.2, WHITE)
    x, y = int(cx - 0.5), int(cy - 0.5)
    c.line(x, y, x, y - int(r) + 2, BLACK)
    c.line(x, y, x + int(r) - 3, y, BLACK)


def check():
    c = Canvas()
    for i, (x, y) in enumerate([(3, 8), (4, 9), (5, 10), (6, 11), (7, 10), (8, 9), (9, 8), (10, 7), (11, 6), (12, 5),
                                (13, 4)]):
        c.rect(x, y - 1, x, y + 1, BLACK)
    return c


def quicktimer():
    # A stopwatch: crown, button and a dial with one hand.
    c = Canvas()
    c.rect(6, 0, 9, 1, GREY)
    c.rect(7, 2, 8, 2, GREY)
    c.line(12, 2, 13, 3, GREY)
    c.disc(8, 9.5, 6.5, RED)
    c.disc(8, 9.5, 5.2, WHITE)
    c.line(7, 9, 7, 5, BLACK)
    c.line(7, 9, 10, 9, BLACK)
    return c


def calendar():
    c = Canvas()
    c.rect(1, 2, 14, 14, WHITE)
    c.frame(1, 2, 14, 14, GREY)
    c.rect(1, 2, 14, 5, RED)
    c.rect(4, 1, 4, 3, BLACK)
    c.rect(11, 1, 11, 3, BLACK)
    for y in (7, 9, 11, 13):
        for x in (3, 5, 7, 9, 11):
            c.set(x, y, NAVY)
    small_clock(c, 11.5, 11.5, 4.4)
    return c


def exit_door():
    # An open door with an arrow leaving it.
    c = Canvas()
    c.rect(1, 1, 8, 14, BROWN)
    c.frame(1, 1, 8, 14, BLACK)
    c.set(7, 8, YELLOW)
    c.line(8, 8, 14, 8, RED)
    c.line(9, 7, 14, 7, RED)
    c.line(12, 5, 15, 8, RED)
    c.line(12, 10, 15, 7, RED)
    return c


def window_frame():
    c = Canvas()
    c.rect(1, 2, 14, 13, BLUE)
    c.rect(3, 4, 12, 11, WHITE)
    c.frame(1, 2, 14, 13, NAVY)
    c.frame(3, 4, 12, 11, NAVY)
    # sizing corner
    c.line(11, 13, 14, 10, WHITE)
    c.line(13, 13, 14, 12, WHITE)
    return c


def tasktray():
    # The right end of a taskbar with a small clock in it.
    c = Canvas()
    c.rect(0, 9, 15, 15, LIGHT)
    c.line(0, 9, 15, 9, WHITE)
    c.rect(4, 11, 14, 14, GREY)
    c.rect(5, 12, 14, 14, LIGHT)
    small_clock(c, 8, 6, 5)
    return c


def topmost():
    # A push pin.
    c = Canvas()
    c.disc(9.5, 5.5, 4.2, RED)
    c.disc(8.5, 4.5, 1.3, (255, 160, 160, 255))
    c.line(4, 8, 9, 13, RED)
    c.line(6, 10, 1, 15, GREY)
    c.line(6, 11, 2, 15, GREY)
    return c


def version():
    c = Canvas()
    c.disc(8, 8, 7.6, BLUE)
    c.rect(7, 3, 8, 4, WHITE)
    c.rect(7, 6, 8, 12, WHITE)
    c.rect(6, 6, 6, 6, WHITE)
    c.rect(6, 12, 9, 12, WHITE)
    return c


def transparent():
    # A checkerboard seen through a half-drawn window.
    c = Canvas()
    for y in range(1, 15):
        for x in range(1, 15):
            c.set(x, y, GREY if (x // 3 + y // 3) % 2 else WHITE)
    c.frame(1, 1, 14, 14, NAVY)
    c.rect(1, 1, 14, 3, BLUE)
    return c


def menu_icons():
    # A menu with a picture column.
    c = Canvas()
    c.rect(1, 1, 14, 14, WHITE)
    c.frame(1, 1, 14, 14, GREY)
    for y, colour in ((3, RED), (7, GREEN), (11, BLUE)):
        c.rect(3, y, 5, y + 2, colour)
        c.line(7, y + 1, 12, y + 1, BLACK)
    return c


def time_adjust():
    # A clock with two arrows going round it: synchronising.
    c = Canvas()
    small_clock(c, 8, 8, 5.2)
    for a in range(200, 330, 6):
        c.set(round(7.5 + 7 * math.cos(math.radians(a))), round(7.5 + 7 * math.sin(math.radians(a))), GREEN)
    for a in range(20, 150, 6):
        c.set(round(7.5 + 7 * math.cos(math.radians(a))), round(7.5 + 7 * math.sin(math.radians(a))), GREEN)
    c.rect(13, 2, 14, 3, DARKGREEN)
    c.rect(1, 12, 2, 13, DARKGREEN)
    return c


def launcher():
    # Four application tiles.
    c = Canvas()
    for (x, y, colour) in ((1, 1, RED), (9, 1, GREEN), (1, 9, BLUE), (9, 9, YELLOW)):
        c.rect(x, y, x + 5, y + 5, colour)
        c.frame(x, y, x + 5, y + 5, BLACK)
    return c


def execute_adjust():
    # A clock and a green arrow: adjust now.
    c = Canvas()
    small_clock(c, 6.5, 6.5, 6)
    for i in range(6):
        c.line(9 + i, 8 + i, 9 + i, 15 - i, GREEN)
    c.line(9, 8, 15, 11, DARKGREEN)
    c.line(9, 15, 15, 12, DARKGREEN)
    return c


def cell():
    # The QuickTimer cell picture: an hourglass on the button face.
    c = Canvas()
    c.rect(0, 0, 15, 15, LIGHT)
    c.rect(3, 1, 12, 2, BROWN)
    c.rect(3, 13, 12, 14, BROWN)
    for i in range(5):
        c.line(4 + i, 3 + i, 11 - i, 3 + i, SKY)
        c.line(4 + i, 12 - i, 11 - i, 12 - i, SKY)
    c.line(5, 12, 10, 12, YELLOW)
    c.line(6, 11, 9, 11, YELLOW)
    c.line(7, 8, 8, 10, YELLOW)
    c.line(4, 3, 7, 7, BLACK)
    c.line(11, 3, 8, 7, BLACK)
    c.line(4, 12, 7, 8, BLACK)
    c.line(11, 12, 8, 8, BLACK)
    return c


ICONS = {
    "velta.ico": clock,
    "check.ico": check,
    "quicktimer.ico": quicktimer,
    "date_and_clock.ico": calendar,
    "exit.ico": exit_door,
    "window_frame.ico": window_frame,
    "tasktray.ico": tasktray,
    "topmost.ico": topmost,
    "version.ico": version,
    "transparent.ico": transparent,
    "menu_icons.ico": menu_icons,
    "time_adjust.ico": time_adjust,
    "launcher.ico": launcher,
    "execute_adjust.ico": execute_adjust,
}

BITMAPS = {
    "cells.bmp": cell,
}


def write_ico(path, canvas):
    # 32-bit BGRA image, bottom-up, followed by the 1-bit AND mask (rows padded to 32 bits).
    xor = bytearray()
    for y in reversed(range(SIZE)):
        for x in range(SIZE):
            r, g, b, a = canvas.px[y][x]
            xor += bytes((b, g, r, a))
    mask = bytearray()
    for y in reversed(range(SIZE)):
        bits = 0
        for x in range(SIZE):
            if canvas.px[y][x][3] == 0:
                bits |= 1 << (15 - x)
        mask += struct.pack(">H", bits) + b"\0\0"
    header = struct.pack("<IiiHHIIiiII", 40, SIZE, SIZE * 2, 1, 32, 0, len(xor) + len(mask), 0, 0, 0, 0)
    image = header + xor + mask
    with open(path, "wb") as f:
        f.write(struct.pack("<HHH", 0, 1, 1))
        f.write(struct.pack("<BBBBHHII", SIZE, SIZE, 0, 0, 1, 32, len(image), 6 + 16))
        f.write(image)


def write_bmp(path, canvas):
    # 24-bit bottom-up; 16 pixels of 3 bytes make 48 bytes a row, already a multiple of 4.
    rows = bytearray()
    for y in reversed(range(SIZE)):
        for x in range(SIZE):
            r, g, b, a = canvas.px[y][x]
            rows += bytes((b, g, r))
    info = struct.pack("<IiiHHIIiiII", 40, SIZE, SIZE, 1, 24, 0, len(rows), 2835, 2835, 0, 0)
    with open(path, "wb") as f:
        f.write(struct.pack("<2sIHHI", b"BM", 14 + len(info) + len(rows), 0, 0, 14 + len(info)))
        f.write(info)
        f.write(rows)


def main():
    out = os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "res", "icons")
    os.makedirs(out, exist_ok=True)
    for name, draw in ICONS.items():
        write_ico(os.path.join(out, name), draw())
    for name, draw in BITMAPS.items():
        write_bmp(os.path.join(out, name), draw())
    return 0


if __name__ == "__main__":
    sys.exit(main())
