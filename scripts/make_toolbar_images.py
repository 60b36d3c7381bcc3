#!/usr/bin/env python3
"""Draws the toolbar pictures of the editor's own commands into resources/: Tool<Name>.png at
19 x 18 pixels and Tool<Name>@2x.png at 38 x 36, RGBA with transparent ground. Every toolbar
picture is ours: the desktop theme's icons for open, new, help and zoom are drawn pale at this
size (enabled, they look disabled), and an enabled picture must read as enabled. Each has dark
lines in full contrast; the toolkit greys them for the disabled state.

Each picture is a list of shapes in 1x pixel units (x right, y down), drawn with 4 x 4 samples
per pixel so that edges are smooth at both sizes.

Usage: scripts/make_toolbar_images.py [output folder]"""

import math
import os
import struct
import sys
import zlib

WIDTH, HEIGHT = 19, 18
SAMPLES = 4

INK = (40, 40, 40)
PAPER = (255, 255, 255)
EDGE = (90, 90, 90)
GREEN = (30, 140, 40)
RED = (200, 30, 30)
BLUE = (30, 80, 190)
NAVY = (0, 0, 128)
YELLOW = (235, 195, 60)
WOOD = (200, 150, 70)
GLASS = (200, 225, 245)
GREY = (150, 150, 150)
DARK_GREEN = (20, 110, 30)


# ---- shapes: each is (test(x, y) -> bool, colour); later shapes paint over earlier ones ----

def rect(x0, y0, x1, y1, colour):
    return (lambda x, y: x0 <= x <= x1 and y0 <= y <= y1, colour)


def polygon(points, colour):
    def inside(x, y):
        hit = False
        n = len(points)
        for i in range(n):
            (ax, ay), (bx, by) = points[i], points[(i + 1) % n]
            if (ay > y) != (by > y) and x < (bx - ax) * (y - ay) / (by - ay) + ax:
                hit = not hit
        return hit
    return (inside, colour)


def segment(a, b, width, colour):
    (ax, ay), (bx, by) = a, b
    dx, dy = bx - ax, by - ay
    length2 = dx * dx + dy * dy or 1e-9

    def inside(x, y):
        t = max(0.0, min(1.0, ((x - ax) * dx + (y - ay) * dy) / length2))
        return math.hypot(x - (ax + t * dx), y - (ay + t * dy)) <= width / 2
    return (inside, colour)


def polyline(points, width, colour):
    return [segment(points[i], points[i + 1], width, colour) for i in range(len(points) - 1)]


def disc(cx, cy, r, colour):
    return (lambda x, y: math.hypot(x - cx, y - cy) <= r, colour)


def ring(cx, cy, r, width, colour):
    return (lambda x, y: abs(math.hypot(x - cx, y - cy) - r) <= width / 2, colour)


def framed_rect(x0, y0, x1, y1, fill, edge, width=1.0):
    h = width / 2
    return [rect(x0 - h, y0 - h, x1 + h, y1 + h, edge), rect(x0 + h, y0 + h, x1 - h, y1 - h, fill)]


def sheet(x0, y0, x1, y1):
    """A page with a folded corner and three text lines."""
    fold = 4
    outline = [(x0, y0), (x1 - fold, y0), (x1, y0 + fold), (x1, y1), (x0, y1)]
    shapes = [polygon([(px - 0.6 if px == x0 else px + 0.6, py - 0.6 if py == y0 else py + 0.6)
                       for px, py in outline], EDGE),
              polygon(outline, PAPER),
              polygon([(x1 - fold, y0), (x1, y0 + fold), (x1 - fold, y0 + fold)], GREY)]
    for i in range(3):
        yy = y0 + 6 + 3 * i
        if yy < y1 - 1:
            shapes.append(segment((x0 + 2.5, yy), (x1 - 2.5, yy), 1.0, GREY))
    return shapes


def magnifier(cx, cy, r):
    return [disc(cx, cy, r, GLASS), ring(cx, cy, r, 1.6, INK),
            segment((cx + r * 0.75, cy + r * 0.75), (cx + r + 4.5, cy + r + 4.5), 2.6, INK)]


def arrow(a, b, width, head, colour):
    """A straight arrow from a to b with a filled head at b."""
    (ax, ay), (bx, by) = a, b
    length = math.hypot(bx - ax, by - ay)
    ux, uy = (bx - ax) / length, (by - ay) / length
    base = (bx - ux * head, by - uy * head)
    nx, ny = -uy * head * 0.7, ux * head * 0.7
    return [segment(a, base, width, colour),
            polygon([(bx, by), (base[0] + nx, base[1] + ny), (base[0] - nx, base[1] - ny)],
                    colour)]


def ruler(colour):
    shapes = framed_rect(1.5, 11.5, 17.5, 16.5, colour, EDGE)
    for i, x in enumerate(range(3, 17, 2)):
        shapes.append(segment((x, 11.5), (x, 13.5 if i % 2 else 14.5), 0.8, INK))
    return shapes


def letter_m(x, y):
    """A lower-case m, 6 wide and 5 high, top-left at (x, y)."""
    return polyline([(x, y + 5), (x, y), (x + 3, y + 1.5), (x + 3, y + 5)], 1.3, INK) + \
        polyline([(x + 3, y + 1.5), (x + 6, y), (x + 6, y + 5)], 1.3, INK)


def letters_ft(x, y):
    """The letters f and t, 8 wide and 7 high, top-left at (x, y)."""
    return [segment((x + 1.5, y + 7), (x + 1.5, y + 1.5), 1.3, INK),
            segment((x + 1.5, y + 1.5), (x + 3.5, y), 1.3, INK),
            segment((x, y + 3), (x + 3.5, y + 3), 1.2, INK),
            segment((x + 6, y + 0.5), (x + 6, y + 7), 1.3, INK),
            segment((x + 4.5, y + 3), (x + 8, y + 3), 1.2, INK)]


# ---- the pictures ----

def picture_open():
    back = [(1.5, 4), (1.5, 15.5), (15, 15.5), (15, 6), (8, 6), (6.5, 4)]
    front = [(1.5, 15.5), (4.5, 8.5), (18, 8.5), (15, 15.5)]
    return [polygon(back, WOOD)] + polyline(back + [back[0]], 1.1, INK) + \
        [polygon(front, YELLOW)] + polyline(front + [front[0]], 1.1, INK)


def picture_new():
    outline = [(3, 1), (11, 1), (15, 5), (15, 17), (3, 17)]
    return [polygon(outline, PAPER)] + polyline(outline + [outline[0]], 1.1, INK) + \
        polyline([(11, 1), (11, 5), (15, 5)], 1.0, INK) + \
        [segment((9.5, 12), (17.5, 12), 2.4, DARK_GREEN),
         segment((13.5, 8), (13.5, 16), 2.4, DARK_GREEN)]


def picture_save():
    body = [(1.5, 1.5), (15, 1.5), (17.5, 4), (17.5, 16.5), (1.5, 16.5)]
    return [polygon(body, NAVY), rect(4.5, 1.5, 13.5, 7, PAPER), rect(10.5, 2.5, 12.5, 6, NAVY),
            rect(4, 10, 15, 16.5, GLASS)] + \
        [segment((5.5, y), (13.5, y), 0.9, EDGE) for y in (12, 14)]


def picture_help():
    return [disc(9.5, 9, 8, BLUE),
            (lambda x, y: abs(math.hypot(x - 9.5, y - 6.5) - 2.8) <= 0.9 and
             (y <= 6.5 or x >= 9.5), PAPER),
            segment((10.6, 9.2), (9.5, 10.5), 1.8, PAPER), segment((9.5, 10.5), (9.5, 11.5), 1.8,
                                                                   PAPER),
            disc(9.5, 14, 1.2, PAPER)]


def picture_import():
    return sheet(2, 5, 13, 17) + arrow((14.5, 0.5), (9.5, 10), 2.2, 4.5, GREEN)


def picture_delete():
    return sheet(2, 2, 13, 15) + [segment((9, 9), (17, 17), 2.4, RED),
                                  segment((17, 9), (9, 17), 2.4, RED)]


def picture_edit():
    shaft = [(4, 12), (13, 3), (16, 6), (7, 15)]
    return [polygon(shaft, YELLOW)] + polyline(shaft + [shaft[0]], 1.0, EDGE) + \
        [polygon([(4, 12), (7, 15), (2.5, 16.5)], WOOD),
         polygon([(2.9, 14.9), (3.9, 15.9), (2.5, 16.5)], INK),
         polygon([(13, 3), (14.5, 1.5), (17.5, 4.5), (16, 6)], RED)]


def picture_local_global():
    shapes = framed_rect(1, 1, 8, 8, PAPER, EDGE)
    for v in (3.5, 5.5):
        shapes += [segment((v, 1), (v, 8), 0.8, BLUE), segment((1, v), (8, v), 0.8, BLUE)]
    shapes += [disc(13, 12.5, 5, GLASS), ring(13, 12.5, 5, 1.2, BLUE),
               segment((8, 12.5), (18, 12.5), 0.8, BLUE),
               (lambda x, y: abs(math.hypot((x - 13) * 2.2, y - 12.5) - 5) <= 0.6, BLUE)]
    return shapes + arrow((5, 10), (8, 15), 1.2, 2.5, GREEN) + arrow((11, 5), (8, 2), 1.2, 2.5,
                                                                      GREEN)


def picture_metres():
    return ruler(YELLOW) + letter_m(6, 3.5)


def picture_feet():
    return ruler(WOOD) + letters_ft(5.5, 2)


def picture_line_settings():
    return [segment((2, 3.5), (17, 3.5), 1.0, INK), segment((2, 8.5), (17, 8.5), 2.2, BLUE)] + \
        [segment((x, 14), (x + 2, 14), 2.0, RED) for x in (2, 6, 10, 14)]


def picture_fiducials():
    shapes = [segment((1, 13), (18, 13), 1.6, INK)]
    for x in (4, 10, 16):
        shapes += [segment((x, 13), (x, 3), 1.0, EDGE),
                   polygon([(x, 3), (x + 4, 5), (x, 7)] if x < 16 else [(x, 3), (x - 4, 5), (x, 7)],
                           RED),
                   rect(x - 1.5, 11.5, x + 1.5, 14.5, NAVY)]
    return shapes


def picture_zoom_area():
    shapes = []
    for x in range(1, 13, 3):
        shapes += [segment((x, 1.5), (x + 1.5, 1.5), 1.0, INK), segment((x, 11.5), (x + 1.5, 11.5),
                                                                        1.0, INK)]
    for y in range(1, 12, 3):
        shapes += [segment((1.5, y), (1.5, y + 1.5), 1.0, INK), segment((13.5, y), (13.5, y + 1.5),
                                                                        1.0, INK)]
    return shapes + magnifier(11, 10, 3.6)


def picture_pan():
    c = (9.5, 9)
    shapes = [segment((c[0], 2.5), (c[0], 15.5), 1.6, INK), segment((3, c[1]), (16, c[1]), 1.6, INK)]
    for tip, left, right in (((9.5, 0.5), (6.5, 4), (12.5, 4)), ((9.5, 17.5), (6.5, 14), (12.5, 14)),
                             ((1, 9), (4.5, 6), (4.5, 12)), ((18, 9), (14.5, 6), (14.5, 12))):
        shapes.append(polygon([tip, left, right], BLUE))
    return shapes


def picture_zoom_in():
    return magnifier(7.5, 7, 5.5) + [segment((5, 7), (10, 7), 1.6, INK),
                                      segment((7.5, 4.5), (7.5, 9.5), 1.6, INK)]


def picture_zoom_out():
    return magnifier(7.5, 7, 5.5) + [segment((5, 7), (10, 7), 1.6, INK)]


def picture_zoom_fit():
    shapes = magnifier(8.5, 8, 4.5)
    for (x, y), (dx, dy) in (((1, 1), (1, 1)), ((18, 1), (-1, 1)), ((1, 17), (1, -1)),
                             ((18, 17), (-1, -1))):
        shapes += polyline([(x + 4 * dx, y), (x, y), (x, y + 4 * dy)], 1.4, BLUE)
    return shapes


PICTURES = {
    "Open": picture_open,
    "New": picture_new,
    "Save": picture_save,
    "Help": picture_help,
    "Import": picture_import,
    "Delete": picture_delete,
    "Edit": picture_edit,
    "LocalGlobal": picture_local_global,
    "Metres": picture_metres,
    "Feet": picture_feet,
    "LineSettings": picture_line_settings,
    "Fiducials": picture_fiducials,
    "ZoomArea": picture_zoom_area,
    "Pan": picture_pan,
    "ZoomIn": picture_zoom_in,
    "ZoomOut": picture_zoom_out,
    "ZoomFit": picture_zoom_fit,
}


def flatten(shapes):
    for s in shapes:
        if isinstance(s, list):
            yield from flatten(s)
        else:
            yield s


def render(shapes, scale):
    shapes = list(flatten(shapes))
    w, h = WIDTH * scale, HEIGHT * scale
    rows = []
    for py in range(h):
        row = bytearray()
        for px in range(w):
            r = g = b = a = 0
            for sy in range(SAMPLES):
                for sx in range(SAMPLES):
                    x = (px + (sx + 0.5) / SAMPLES) / scale
                    y = (py + (sy + 0.5) / SAMPLES) / scale
                    colour = None
                    for test, c in shapes:
                        if test(x, y):
                            colour = c
                    if colour:
                        r, g, b, a = r + colour[0], g + colour[1], b + colour[2], a + 1
            n = SAMPLES * SAMPLES
            if a:
                row += bytes((r // a, g // a, b // a, 255 * a // n))
            else:
                row += bytes(4)
        rows.append(bytes(row))
    return w, h, rows


def write_png(path, w, h, rows):
    def chunk(kind, data):
        body = kind + data
        return struct.pack(">I", len(data)) + body + struct.pack(">I", zlib.crc32(body) & 0xFFFFFFFF)
    raw = b"".join(b"\x00" + row for row in rows)
    png = (b"\x89PNG\r\n\x1a\n" + chunk(b"IHDR", struct.pack(">IIBBBBB", w, h, 8, 6, 0, 0, 0)) +
           chunk(b"IDAT", zlib.compress(raw, 9)) + chunk(b"IEND", b""))
    with open(path, "wb") as f:
        f.write(png)


def main():
    folder = sys.argv[1] if len(sys.argv) > 1 else os.path.join(
        os.path.dirname(os.path.abspath(__file__)), "..", "resources")
    for name, draw in PICTURES.items():
        for scale, suffix in ((1, ""), (2, "@2x")):
            w, h, rows = render(draw(), scale)
            write_png(os.path.join(folder, "Tool%s%s.png" % (name, suffix)), w, h, rows)


if __name__ == "__main__":
    main()
