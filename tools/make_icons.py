#!/usr/bin/env python3
"""Writes the program's icon (src/res/vistrel.ico: a magnifier over a slide, 16, 20, 24, 32 and
48 pixels, the small icon at 100 to 200 % and the large one) and its fully transparent cursor
(src/res/transparent.cur). The outputs are checked in; run this again only to change them."""
import math
import struct
from pathlib import Path

RES = Path(__file__).resolve().parent.parent / "src" / "res"


def magnifier_pixels(size):
    """BGRA rows, bottom-up, of a blue lens ring with a dark handle on a transparent ground."""
    rows = []
    cx = cy = size * 0.40
    outer, inner = size * 0.34, size * 0.24
    for y in range(size - 1, -1, -1):
        row = bytearray()
        for x in range(size):
            px, py = x + 0.5, y + 0.5
            d = math.hypot(px - cx, py - cy)
            # handle: a thick segment from the ring towards the bottom-right corner
            t = ((px - cx) + (py - cy)) / math.sqrt(2)
            off = abs((px - cx) - (py - cy)) / math.sqrt(2)
            if inner <= d <= outer:
                row += bytes((200, 110, 30, 255))
            elif d < inner:
                row += bytes((250, 235, 215, 200))
            elif outer < t < size * 0.62 + outer * 0.3 and off < size * 0.08:
                row += bytes((40, 40, 40, 255))
            else:
                row += bytes((0, 0, 0, 0))
        rows.append(bytes(row))
    return b"".join(rows)


def icon_image(size):
    header = struct.pack("<IiiHHIIiiII", 40, size, size * 2, 1, 32, 0, 0, 0, 0, 0, 0)
    mask_row = ((size + 31) // 32) * 4
    return header + magnifier_pixels(size) + bytes(mask_row * size)


def write_icon():
    sizes = [16, 20, 24, 32, 48]
    images = [icon_image(s) for s in sizes]
    data = struct.pack("<HHH", 0, 1, len(images))
    offset = 6 + 16 * len(images)
    for size, image in zip(sizes, images):
        data += struct.pack("<BBBBHHII", size, size, 0, 0, 1, 32, len(image), offset)
        offset += len(image)
    (RES / "vistrel.ico").write_bytes(data + b"".join(images))


def write_cursor():
    size = 32
    header = struct.pack("<IiiHHIIiiII", 40, size, size * 2, 1, 1, 0, 0, 0, 0, 2, 0)
    palette = bytes((0, 0, 0, 0, 255, 255, 255, 0))
    xor = bytes(4 * size)            # colour: black ...
    andmask = b"\xff" * (4 * size)   # ... but every pixel keeps the screen: nothing shows
    image = header + palette + xor + andmask
    data = struct.pack("<HHH", 0, 2, 1)
    data += struct.pack("<BBBBHHII", size, size, 0, 0, size // 2, size // 2, len(image), 22)
    (RES / "transparent.cur").write_bytes(data + image)


if __name__ == "__main__":
    write_icon()
    write_cursor()
