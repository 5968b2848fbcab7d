#!/usr/bin/env python3
"""Draws the program's application icon and writes it as an .ico file.

The picture: a blue rounded tile holding a small landscape picture (sun and hills), with an orange
arrow leaving it at the lower right - an icon being taken out of a file. Drawn from shapes with
4x4 supersampling at each size, so every size is sharp rather than scaled from one master.

Usage: make_app_icon.py OUTPUT.ico
"""
import struct
import sys

SIZES = (16, 24, 32, 48, 64)
SUPER = 4


def inside_rounded_rect(x, y, left, top, right, bottom, radius):
    if not (left <= x <= right and top <= y <= bottom):
        return False
    cx = min(max(x, left + radius), right - radius)
    cy = min(max(y, top + radius), bottom - radius)
    return (x - cx) ** 2 + (y - cy) ** 2 <= radius ** 2


def inside_polygon(x, y, points):
    inside = False
    j = len(points) - 1
    for i, (xi, yi) in enumerate(points):
        xj, yj = points[j]
        if (yi > y) != (yj > y) and x < (xj - xi) * (y - yi) / (yj - yi) + xi:
            inside = not inside
        j = i
    return inside


def colour_at(u, v):
    """The colour (r, g, b, a) of the design at (u, v) in the unit square, later shapes on top."""
    colour = (0, 0, 0, 0)
    if inside_rounded_rect(u, v, 0.03, 0.03, 0.97, 0.97, 0.18):
        shade = 1.0 - 0.35 * v
        colour = (int(30 * shade), int(110 * shade), int(220 * shade), 255)
    if inside_rounded_rect(u, v, 0.16, 0.16, 0.72, 0.66, 0.05):
        colour = (255, 255, 255, 255)
    if inside_rounded_rect(u, v, 0.21, 0.21, 0.67, 0.61, 0.02):
        colour = (170, 220, 255, 255)
        if (u - 0.55) ** 2 + (v - 0.32) ** 2 <= 0.065 ** 2:
            colour = (255, 200, 40, 255)
        if inside_polygon(u, v, [(0.21, 0.61), (0.36, 0.38), (0.50, 0.61)]) or \
                inside_polygon(u, v, [(0.40, 0.61), (0.54, 0.45), (0.67, 0.61)]):
            colour = (40, 150, 70, 255)
    arrow = [(0.50, 0.62), (0.66, 0.62), (0.66, 0.52), (0.90, 0.74),
             (0.66, 0.96), (0.66, 0.86), (0.50, 0.86)]
    if inside_polygon(u, v, arrow):
        colour = (250, 130, 20, 255)
    return colour


def render(size):
    """Rows of (r, g, b, a), top row first, straight alpha."""
    rows = []
    n = SUPER * SUPER
    for y in range(size):
        row = []
        for x in range(size):
            r = g = b = a = 0
            for sy in range(SUPER):
                for sx in range(SUPER):
                    cr, cg, cb, ca = colour_at((x + (sx + 0.5) / SUPER) / size,
                                               (y + (sy + 0.5) / SUPER) / size)
                    r += cr * ca
                    g += cg * ca
                    b += cb * ca
                    a += ca
            if a:
                row.append((r // a, g // a, b // a, a // n))
            else:
                row.append((0, 0, 0, 0))
        rows.append(row)
    return rows


def dib(size):
    """A 32-bit icon image: BITMAPINFOHEADER (height doubled), XOR bits bottom-up, AND mask."""
    rows = render(size)
    header = struct.pack('<IiiHHIIiiII', 40, size, size * 2, 1, 32, 0, 0, 0, 0, 0, 0)
    xor = b''.join(bytes((b, g, r, a)) for row in reversed(rows) for (r, g, b, a) in row)
    stride = ((size + 31) // 32) * 4
    mask = bytearray()
    for row in reversed(rows):
        line = bytearray(stride)
        for x, (_, _, _, a) in enumerate(row):
            if a == 0:
                line[x // 8] |= 0x80 >> (x % 8)
        mask += line
    return header + xor + bytes(mask)


def main():
    if len(sys.argv) != 2:
        sys.exit(__doc__)
    images = [dib(size) for size in SIZES]
    out = struct.pack('<HHH', 0, 1, len(images))
    offset = 6 + 16 * len(images)
    for size, data in zip(SIZES, images):
        out += struct.pack('<BBBBHHII', size, size, 0, 0, 1, 32, len(data), offset)
        offset += len(data)
    out += b''.join(images)
    with open(sys.argv[1], 'wb') as f:
        f.write(out)


if __name__ == '__main__':
    main()
