#!/usr/bin/env python3
"""Draws the wizard's side picture, Side.bmp: 161 by 313 pixels, 16 colours (a 4-bit BMP).

A deep-blue gradient with soft light arcs, and a package that an arrow fills, the picture a user
expects beside a setup wizard. Only the standard library is used, so the picture can be drawn
again anywhere:

    python3 make_side_bitmap.py [output.bmp]    (default: Side.bmp next to this script)
"""
import math
import os
import struct
import sys

WIDTH, HEIGHT = 161, 313

# The 16 colours, as (red, green, blue). 0-7 are the background's blues from light to deep.
PALETTE = [
    (0x4A, 0x7C, 0xC4),  # 0  lightest background blue (top)
    (0x3F, 0x6F, 0xB6),  # 1
    (0x35, 0x62, 0xA7),  # 2
    (0x2C, 0x55, 0x97),  # 3
    (0x23, 0x48, 0x86),  # 4
    (0x1B, 0x3B, 0x74),  # 5
    (0x14, 0x2F, 0x62),  # 6
    (0x0E, 0x24, 0x50),  # 7  deepest background blue (bottom)
    (0xFF, 0xFF, 0xFF),  # 8  white: the package's lit top
    (0xDD, 0xE7, 0xF3),  # 9  pale blue-grey: the package's left side
    (0xA6, 0xB9, 0xD3),  # 10 grey-blue: the package's right side
    (0x6E, 0x87, 0xAD),  # 11 shadowed grey-blue: the inside of the open package
    (0xF5, 0xA6, 0x23),  # 12 amber: the arrow
    (0xC7, 0x7C, 0x12),  # 13 dark amber: the arrow's shaded half
    (0x7F, 0xA9, 0xE3),  # 14 light arcs
    (0x09, 0x18, 0x36),  # 15 the package's shadow on the floor
]
BACKGROUND_SHADES = 8

# A 4 by 4 ordered-dither matrix, so that the gradient steps blend without noise.
BAYER = [[0, 8, 2, 10], [12, 4, 14, 6], [3, 11, 1, 9], [15, 7, 13, 5]]


def background(x, y):
    """The gradient: light at the top, deep at the bottom, a little lighter towards the left."""
    t = (y / (HEIGHT - 1)) * 0.88 + (x / (WIDTH - 1)) * 0.12
    level = t * (BACKGROUND_SHADES - 1)
    base = int(level)
    fraction = level - base
    threshold = (BAYER[y % 4][x % 4] + 0.5) / 16.0
    return min(base + (1 if fraction > threshold else 0), BACKGROUND_SHADES - 1)


def on_arc(x, y):
    """Three thin arcs around a point below the picture's left edge, like light on the glass."""
    cx, cy = -40.0, 360.0
    distance = math.hypot(x - cx, y - cy)
    for radius in (170.0, 205.0, 240.0):
        if abs(distance - radius) < 0.7:
            # Fade the arcs out towards the top: every other pixel up there.
            return y > 120 or (x + y) % 2 == 0
    return False


def inside_polygon(x, y, points):
    """Even-odd test of the pixel centre against a polygon."""
    px, py = x + 0.5, y + 0.5
    inside = False
    for i, (x1, y1) in enumerate(points):
        x2, y2 = points[(i + 1) % len(points)]
        if (y1 > py) != (y2 > py):
            cross = x1 + (py - y1) * (x2 - x1) / (y2 - y1)
            if px < cross:
                inside = not inside
    return inside


# The package: an isometric box seen from above, standing low in the picture.
CX, TOP, HALF_W, HALF_H, DEPTH = 80, 160, 50, 25, 56
TOP_FACE = [(CX, TOP), (CX + HALF_W, TOP + HALF_H), (CX, TOP + 2 * HALF_H), (CX - HALF_W, TOP + HALF_H)]
LEFT_FACE = [(CX - HALF_W, TOP + HALF_H), (CX, TOP + 2 * HALF_H), (CX, TOP + 2 * HALF_H + DEPTH),
             (CX - HALF_W, TOP + HALF_H + DEPTH)]
RIGHT_FACE = [(CX, TOP + 2 * HALF_H), (CX + HALF_W, TOP + HALF_H), (CX + HALF_W, TOP + HALF_H + DEPTH),
              (CX, TOP + 2 * HALF_H + DEPTH)]
# The opening in the top: the same rhombus, smaller.
INSET = 0.62
OPENING = [(CX + (px - CX) * INSET, TOP + HALF_H + (py - TOP - HALF_H) * INSET) for px, py in TOP_FACE]
# The open flaps, folded outwards from the opening's two upper edges.
LEFT_FLAP = [OPENING[3], OPENING[0], (OPENING[0][0] - 22, OPENING[0][1] - 18),
             (OPENING[3][0] - 22, OPENING[3][1] - 18)]
RIGHT_FLAP = [OPENING[0], OPENING[1], (OPENING[1][0] + 22, OPENING[1][1] - 18),
              (OPENING[0][0] + 22, OPENING[0][1] - 18)]
# The shadow on the floor, cast to the lower right from the package's bottom edges.
SHADOW = [(CX - HALF_W, TOP + HALF_H + DEPTH), (CX, TOP + 2 * HALF_H + DEPTH),
          (CX + HALF_W, TOP + HALF_H + DEPTH), (CX + HALF_W + 26, TOP + HALF_H + DEPTH + 9),
          (CX + 26, TOP + 2 * HALF_H + DEPTH + 9), (CX - HALF_W + 10, TOP + HALF_H + DEPTH + 4)]

# The arrow: a shaft and a head, pointing down into the opening.
ARROW_TIP_Y = TOP + HALF_H + 6
ARROW_HEAD = [(CX - 21, ARROW_TIP_Y - 30), (CX + 21, ARROW_TIP_Y - 30), (CX, ARROW_TIP_Y)]
ARROW_SHAFT = [(CX - 8, 78), (CX + 8, 78), (CX + 8, ARROW_TIP_Y - 29), (CX - 8, ARROW_TIP_Y - 29)]


def pixel(x, y):
    """The palette index of one pixel; later layers cover earlier ones."""
    colour = background(x, y)
    if on_arc(x, y):
        colour = 14
    if inside_polygon(x, y, SHADOW):
        colour = 15
    if inside_polygon(x, y, LEFT_FACE):
        colour = 9
    if inside_polygon(x, y, RIGHT_FACE):
        colour = 10
    if inside_polygon(x, y, TOP_FACE):
        colour = 8
    if inside_polygon(x, y, OPENING):
        colour = 11
    if inside_polygon(x, y, LEFT_FLAP):
        colour = 9
    if inside_polygon(x, y, RIGHT_FLAP):
        colour = 10
    if inside_polygon(x, y, ARROW_SHAFT) or inside_polygon(x, y, ARROW_HEAD):
        # The right half lies in the shade, so the arrow reads as solid.
        colour = 12 if x < CX else 13
    return colour


def bitmap_bytes():
    """The whole .bmp file: file header, info header, palette, then the rows bottom-up."""
    stride = ((WIDTH * 4 + 31) // 32) * 4
    rows = []
    for y in range(HEIGHT - 1, -1, -1):
        indices = [pixel(x, y) for x in range(WIDTH)] + [0]
        row = bytearray((indices[i] << 4) | indices[i + 1] for i in range(0, WIDTH, 2))
        row.extend(b"\0" * (stride - len(row)))
        rows.append(bytes(row))
    pixels = b"".join(rows)
    palette = b"".join(struct.pack("<BBBB", b, g, r, 0) for r, g, b in PALETTE)
    offset = 14 + 40 + len(palette)
    info = struct.pack("<IiiHHIIiiII", 40, WIDTH, HEIGHT, 1, 4, 0, len(pixels), 2835, 2835, 16, 16)
    header = struct.pack("<2sIHHI", b"BM", offset + len(pixels), 0, 0, offset)
    return header + info + palette + pixels


def main():
    default = os.path.join(os.path.dirname(os.path.abspath(__file__)), "Side.bmp")
    output = sys.argv[1] if len(sys.argv) > 1 else default
    with open(output, "wb") as out:
        out.write(bitmap_bytes())


if __name__ == "__main__":
    main()
