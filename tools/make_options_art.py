#!/usr/bin/env python3
"""Writes the pictures of the options dialog: the language button's icon (a globe,
src/res/language.ico), the hand over the link line (src/res/link_hand.cur) and the Donate page's
picture (a cup with a heart, src/res/donate.bmp). The outputs are checked in; run this again only
to change them."""
import math
import struct
from pathlib import Path

RES = Path(__file__).resolve().parent.parent / "src" / "res"


def globe_pixels(size):
    """BGRA rows, bottom-up: a blue globe with light meridians and parallels."""
    rows = []
    c = size / 2
    r = size * 0.46
    for y in range(size - 1, -1, -1):
        row = bytearray()
        for x in range(size):
            px, py = x + 0.5 - c, y + 0.5 - c
            d = math.hypot(px, py)
            if d > r:
                row += bytes((0, 0, 0, 0))
                continue
            edge = d > r - max(1.0, size / 16)
            line = False
            for k in (-0.5, 0.0, 0.5):  # parallels
                if abs(py - k * r) < size / 32 + 0.4:
                    line = True
            half = math.sqrt(max(r * r - py * py, 0.0))
            for k in (0.0, 0.55):  # meridians: the axis and an ellipse
                if k == 0.0 and abs(px) < size / 32 + 0.4:
                    line = True
                if k and abs(abs(px) - k * half) < size / 32 + 0.4:
                    line = True
            if edge:
                row += bytes((120, 60, 20, 255))
            elif line:
                row += bytes((250, 240, 225, 255))
            else:
                row += bytes((215, 140, 40, 255))
        rows.append(bytes(row))
    return b"".join(rows)


def write_icon(path, pixels, sizes):
    images = []
    for s in sizes:
        header = struct.pack("<IiiHHIIiiII", 40, s, s * 2, 1, 32, 0, 0, 0, 0, 0, 0)
        images.append(header + pixels(s) + bytes(((s + 31) // 32) * 4 * s))
    data = struct.pack("<HHH", 0, 1, len(images))
    offset = 6 + 16 * len(images)
    for s, image in zip(sizes, images):
        data += struct.pack("<BBBBHHII", s, s, 0, 0, 1, 32, len(image), offset)
        offset += len(image)
    path.write_bytes(data + b"".join(images))


HAND = [
    "     XX         ",
    "    X..X        ",
    "    X..X        ",
    "    X..X        ",
    "    X..XXX      ",
    "    X..X..XXX   ",
    " XX X..X..X..XX ",
    "X..XX........X.X",
    "X...X..........X",
    " X.............X",
    "  X............X",
    "  X...........X ",
    "   X..........X ",
    "    X........X  ",
    "     X.......X  ",
    "     XXXXXXXXX  ",
]


def write_hand_cursor(path):
    """A pointing hand, black outline and white inside, hot spot at the finger tip."""
    size = 32
    header = struct.pack("<IiiHHIIiiII", 40, size, size * 2, 1, 1, 0, 0, 0, 0, 2, 0)
    palette = bytes((0, 0, 0, 0, 255, 255, 255, 0))
    xor_rows, and_rows = [], []
    for y in range(size - 1, -1, -1):  # bottom-up
        xor_bits, and_bits = 0, (1 << 32) - 1
        for x in range(size):
            ch = HAND[y][x] if y < len(HAND) and x < len(HAND[y]) else " "
            bit = 1 << (31 - x)
            if ch in "X.":
                and_bits &= ~bit
                if ch == ".":
                    xor_bits |= bit
        xor_rows.append(struct.pack(">I", xor_bits))
        and_rows.append(struct.pack(">I", and_bits))
    image = header + palette + b"".join(xor_rows) + b"".join(and_rows)
    data = struct.pack("<HHH", 0, 2, 1)
    data += struct.pack("<BBBBHHII", size, size, 0, 0, 5, 0, len(image), 22)
    path.write_bytes(data + image)


def write_donate_bitmap(path):
    """60 x 60, 24 bits: a steaming cup with a red heart on the dialog-grey ground."""
    w = h = 60
    ground = (240, 240, 240)
    rows = []
    for y in range(h - 1, -1, -1):
        row = bytearray()
        for x in range(w):
            colour = ground
            # cup body and handle
            if 14 <= x <= 40 and 26 <= y <= 50 and (y - 26) * 0.25 <= (x - 14) and (y - 26) * 0.25 <= (40 - x):
                colour = (70, 110, 160)
            if math.hypot(x - 43, y - 35) <= 7 and math.hypot(x - 43, y - 35) >= 4:
                colour = (70, 110, 160)
            if 8 <= x <= 48 and 51 <= y <= 54:
                colour = (60, 90, 130)
            # heart on the cup
            hx, hy = (x - 27) / 7.0, (y - 37) / 7.0
            if (hx * hx + (-hy) * (-hy) - 1) ** 3 - hx * hx * (-hy) ** 3 <= 0:
                colour = (210, 40, 50)
            # steam
            for sx in (20, 27, 34):
                if 6 <= y <= 21 and abs(x - (sx + 2.5 * math.sin(y / 2.5))) < 1.2:
                    colour = (170, 170, 170)
            row += bytes((colour[2], colour[1], colour[0]))  # stored blue, green, red
        row += bytes((4 - len(row) % 4) % 4)
        rows.append(bytes(row))
    pixels = b"".join(rows)
    info = struct.pack("<IiiHHIIiiII", 40, w, h, 1, 24, 0, len(pixels), 2835, 2835, 0, 0)
    header = struct.pack("<2sIHHI", b"BM", 14 + len(info) + len(pixels), 0, 0, 14 + len(info))
    path.write_bytes(header + info + pixels)


if __name__ == "__main__":
    write_icon(RES / "language.ico", globe_pixels, [16, 32])
    write_hand_cursor(RES / "link_hand.cur")
    write_donate_bitmap(RES / "donate.bmp")
