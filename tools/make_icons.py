#!/usr/bin/env python3
"""Draws the application's 16 x 16 icons and writes them as .ico files into res/icons/.

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


ICONS = {
    "velta.ico": clock,
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


def main():
    out = os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "res", "icons")
    os.makedirs(out, exist_ok=True)
    for name, draw in ICONS.items():
        write_ico(os.path.join(out, name), draw())
    return 0


if __name__ == "__main__":
    sys.exit(main())
