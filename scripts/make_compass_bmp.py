#!/usr/bin/env python3
"""Draws the plan view's compass image, resources/Compass.bmp: a white disc with a grey ring,
ticks at east, south and west, a letter N at north and a needle whose north half is red. The
corners outside the disc are magenta (255, 0, 255), which the plan view draws transparent.

Usage: scripts/make_compass_bmp.py [output path]"""

import math
import struct
import sys

SIZE = 64
CENTRE = (SIZE - 1) / 2.0
RING_OUT = 30.5
RING_IN = 28.0
MAGENTA = (255, 0, 255)
WHITE = (255, 255, 255)
RING = (90, 90, 90)
NORTH = (200, 0, 0)
SOUTH = (60, 60, 60)
SAMPLES = 4

# The letter N, 5 x 7 cells.
LETTER_N = ["X...X", "XX..X", "X.X.X", "X..XX", "X...X", "X...X", "X...X"]


def inside_triangle(p, a, b, c):
    def side(p1, p2, p3):
        return (p1[0] - p3[0]) * (p2[1] - p3[1]) - (p2[0] - p3[0]) * (p1[1] - p3[1])
    d1, d2, d3 = side(p, a, b), side(p, b, c), side(p, c, a)
    neg = d1 < 0 or d2 < 0 or d3 < 0
    pos = d1 > 0 or d2 > 0 or d3 > 0
    return not (neg and pos)


def colour_at(x, y):
    """The colour of one sample point, or None outside the disc."""
    dx, dy = x - CENTRE, y - CENTRE
    r = math.hypot(dx, dy)
    if r > RING_OUT:
        return None
    if r > RING_IN:
        return RING
    cx, cy = CENTRE, CENTRE
    north = ((cx, cy - 22), (cx - 6, cy), (cx + 6, cy))
    south = ((cx, cy + 22), (cx - 6, cy), (cx + 6, cy))
    if inside_triangle((x, y), *north):
        return NORTH
    if inside_triangle((x, y), *south):
        return SOUTH
    # Ticks at east, south and west, inside the ring.
    if abs(dy) < 1.0 and 21 < abs(dx) < RING_IN:
        return RING
    if abs(dx) < 1.0 and 23 < dy < RING_IN:
        return RING
    # The letter N left of the needle's tip.
    lx, ly = int(math.floor(x - (cx - 14))), int(math.floor(y - (cy - 21)))
    if 0 <= lx < 5 and 0 <= ly < 7 and LETTER_N[ly][lx] == "X":
        return (0, 0, 0)
    return WHITE


def pixel(px, py):
    total = [0, 0, 0]
    covered = 0
    for i in range(SAMPLES):
        for j in range(SAMPLES):
            c = colour_at(px + (i + 0.5) / SAMPLES, py + (j + 0.5) / SAMPLES)
            if c is None:
                continue
            covered += 1
            for k in range(3):
                total[k] += c[k]
    if covered == 0:
        return MAGENTA
    n = SAMPLES * SAMPLES
    # Edge pixels blend with white, never with the transparent colour.
    return tuple(int(round((total[k] + WHITE[k] * (n - covered)) / n)) for k in range(3))


def write_bmp(path):
    row_bytes = (SIZE * 3 + 3) & ~3
    image = bytearray()
    for y in range(SIZE - 1, -1, -1):  # bottom-up rows
        row = bytearray()
        for x in range(SIZE):
            r, g, b = pixel(x, y)
            row += bytes((b, g, r))
        row += b"\0" * (row_bytes - len(row))
        image += row
    header = struct.pack("<2sIHHI", b"BM", 54 + len(image), 0, 0, 54)
    info = struct.pack("<IiiHHIIiiII", 40, SIZE, SIZE, 1, 24, 0, len(image), 2835, 2835, 0, 0)
    with open(path, "wb") as f:
        f.write(header + info + image)


if __name__ == "__main__":
    write_bmp(sys.argv[1] if len(sys.argv) > 1 else "resources/Compass.bmp")
