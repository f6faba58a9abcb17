#!/usr/bin/env python3
"""Writes the executable's cursor and icon files from the pixel art below.

    hand.cur       cursor 103: a pointing hand, 32x32, hot spot at the fingertip (5, 0)
    blank.cur      cursor 130: 32x32, every pixel transparent, hot spot (0, 0)
    vomracube.ico  icon 128: a cube in three shades of blue, 32x32, 16 colours

Run from anywhere: python3 res/make_resources.py [output folder, default: this folder].
Cursor and icon images are device-independent bitmaps of twice the image height: the
colour (XOR) rows, then the 1-bit transparency (AND) rows, both bottom row first, each
row padded to 4 bytes. A pixel shows black for AND 0/XOR 0, white for AND 0/XOR 1 and
the screen for AND 1/XOR 0.
"""
import os
import struct
import sys

SIDE = 32

HAND = [
    "     ##         ",
    "    #..#        ",
    "    #..#        ",
    "    #..#        ",
    "    #..#        ",
    "    #..###      ",
    "    #..#..###   ",
    "    #..#..#..## ",
    " ## #..#..#..#.#",
    "#..##........#.#",
    "#...#..........#",
    " #.............#",
    "  #............#",
    "  #...........# ",
    "   #..........# ",
    "   #.........#  ",
    "    #........#  ",
    "    #........#  ",
    "    ##########  ",
]


def row_bytes(bits_per_pixel):
    return ((SIDE * bits_per_pixel + 31) // 32) * 4


def pack_1bit(rows):
    """rows: SIDE lists of SIDE 0/1 values, top row first; returns bottom-up bytes."""
    out = bytearray()
    for row in reversed(rows):
        line = bytearray(row_bytes(1))
        for x, bit in enumerate(row):
            if bit:
                line[x // 8] |= 0x80 >> (x % 8)
        out += line
    return bytes(out)


def pack_4bit(rows):
    out = bytearray()
    for row in reversed(rows):
        line = bytearray(row_bytes(4))
        for x, index in enumerate(row):
            line[x // 2] |= index << (4 if x % 2 == 0 else 0)
        out += line
    return bytes(out)


def dib_header(bits_per_pixel, colours, image_bytes):
    # Height counts the colour rows and the mask rows.
    return struct.pack("<IiiHHIIiiII", 40, SIDE, SIDE * 2, 1, bits_per_pixel, 0, image_bytes,
                       0, 0, colours, 0)


def icon_file(kind, hotspot_or_planes_bpp, image):
    """kind 1 = icon, 2 = cursor; the directory entry's two words are the hot spot for a
    cursor and planes/bit count for an icon."""
    colour_count = 16 if kind == 1 else 2
    header = struct.pack("<HHH", 0, kind, 1)
    a, b = hotspot_or_planes_bpp
    entry = struct.pack("<BBBBHHII", SIDE, SIDE, colour_count if kind == 1 else 0, 0, a, b,
                        len(image), 6 + 16)
    return header + entry + image


def cursor(art, hotspot):
    grid = [(art[y] if y < len(art) else "").ljust(SIDE)[:SIDE] for y in range(SIDE)]
    xor = [[1 if c == "." else 0 for c in line] for line in grid]
    and_mask = [[1 if c == " " else 0 for c in line] for line in grid]
    colours = struct.pack("<II", 0x000000, 0xFFFFFF)
    pixels = pack_1bit(xor) + pack_1bit(and_mask)
    image = dib_header(1, 2, len(pixels)) + colours + pixels
    return icon_file(2, hotspot, image)


# The 16 colours of the standard VGA palette, blue-green-red-reserved.
VGA = [(0, 0, 0), (128, 0, 0), (0, 128, 0), (128, 128, 0), (0, 0, 128), (128, 0, 128),
       (0, 128, 128), (192, 192, 192), (128, 128, 128), (255, 0, 0), (0, 255, 0),
       (255, 255, 0), (0, 0, 255), (255, 0, 255), (0, 255, 255), (255, 255, 255)]
BLACK, DARK_BLUE, LIGHT_GREY, BLUE, CYAN, WHITE = 0, 4, 7, 12, 14, 15


def cube_pixel(x, y):
    """An isometric cube: top face cyan, left face blue, right face dark blue, black edges.
    Returns a palette index, or None for transparent."""
    cx, top, half, height = 15.5, 2.0, 13.0, 14.0
    dx = x + 0.5 - cx
    fy = y + 0.5
    upper = top + abs(dx) / 2  # upper edges of the top face's rhombus
    ridge = top + half - abs(dx) / 2  # its lower edges, where the side faces begin
    bottom = ridge + height
    if abs(dx) > half or fy < upper or fy > bottom:
        return None
    if abs(abs(dx) - half) < 1 or abs(fy - upper) < 1 or abs(fy - bottom) < 1:
        return BLACK
    if fy < ridge:
        return BLACK if abs(fy - ridge) < 1 else CYAN
    if abs(dx) < 0.75:
        return BLACK
    return BLUE if dx < 0 else DARK_BLUE


def icon():
    indices = [[0] * SIDE for _ in range(SIDE)]
    and_mask = [[1] * SIDE for _ in range(SIDE)]
    for y in range(SIDE):
        for x in range(SIDE):
            p = cube_pixel(x, y)
            if p is not None:
                indices[y][x] = p
                and_mask[y][x] = 0
    colours = b"".join(struct.pack("<BBBB", b, g, r, 0) for (r, g, b) in VGA)
    pixels = pack_4bit(indices) + pack_1bit(and_mask)
    image = dib_header(4, 16, len(pixels)) + colours + pixels
    return icon_file(1, (1, 4), image)


def main():
    out = sys.argv[1] if len(sys.argv) > 1 else os.path.dirname(os.path.abspath(__file__))
    files = {
        "hand.cur": cursor(HAND, (5, 0)),
        "blank.cur": cursor([], (0, 0)),
        "vomracube.ico": icon(),
    }
    for name, data in files.items():
        with open(os.path.join(out, name), "wb") as f:
            f.write(data)


if __name__ == "__main__":
    main()
