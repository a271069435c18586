#!/usr/bin/env python3
"""Draws the installer's icon: one 32 x 32 image with 256 colours, written as resources/setup.ico.

The picture is a blue box with a white arrow pointing down into it: something being put in place.
"""
import struct
import sys

SIZE = 32


def palette():
    colours = [(0, 0, 0), (255, 255, 255), (32, 80, 160), (90, 140, 210), (20, 40, 90)]
    colours += [(i, i, i) for i in range(0, 256, 256 // (256 - len(colours)) or 1)]
    colours = (colours + [(0, 0, 0)] * 256)[:256]
    return b"".join(struct.pack("<BBBB", b, g, r, 0) for (r, g, b) in colours)


def pixel(x, y):
    """Colour index at x, y with y counted from the top."""
    in_box = 4 <= x < 28 and 12 <= y < 29
    on_rim = in_box and (x in (4, 27) or y in (12, 28))
    shaft = 13 <= x < 19 and 2 <= y < 14
    head = 14 <= y < 21 and abs(x - 15.5) < (21 - y)
    if shaft or head:
        return 1
    if on_rim:
        return 4
    if in_box:
        return 3 if y < 16 else 2
    return 0


def transparent(x, y):
    return pixel(x, y) == 0


def main(path):
    rows = []
    for y in reversed(range(SIZE)):  # bitmaps are stored bottom-up
        rows.append(bytes(pixel(x, y) for x in range(SIZE)))
    mask_rows = []
    for y in reversed(range(SIZE)):
        bits = 0
        for x in range(SIZE):
            bits = (bits << 1) | (1 if transparent(x, y) else 0)
        mask_rows.append(struct.pack(">I", bits))
    header = struct.pack("<IiiHHIIiiII", 40, SIZE, SIZE * 2, 1, 8, 0, 0, 0, 0, 256, 0)
    image = header + palette() + b"".join(rows) + b"".join(mask_rows)
    directory = struct.pack("<HHH", 0, 1, 1) + struct.pack("<BBBBHHII", SIZE, SIZE, 0, 0, 1, 8, len(image), 22)
    with open(path, "wb") as out:
        out.write(directory + image)


if __name__ == "__main__":
    main(sys.argv[1] if len(sys.argv) > 1 else "resources/setup.ico")
