#!/usr/bin/env python3
"""Draws the snapshot of "Tank Warz" and writes it as an 8-bit RLE-compressed BMP:
pictures/snap/tankwarz.bmp (the collection's BMP picture)."""
import os
import struct

HERE = os.path.dirname(os.path.abspath(__file__))
W, H = 320, 240

# The palette: a sky ramp (0-63), ground browns (64-79), tank colours and the rest.
palette = [(0, 0, 0)] * 256
for i in range(64):
    palette[i] = (20 + i, 40 + i * 2, 120 + i * 2)
for i in range(16):
    palette[64 + i] = (90 + i * 4, 60 + i * 3, 30 + i)
palette[100] = (40, 120, 40)     # green tank
palette[101] = (20, 70, 20)
palette[110] = (170, 40, 40)     # red tank
palette[111] = (100, 20, 20)
palette[120] = (250, 230, 120)   # shell and sun
palette[121] = (255, 255, 255)


def scene():
    px = [[0] * W for _ in range(H)]
    for y in range(H):
        for x in range(W):
            if y < 170:
                px[y][x] = min(63, y * 64 // 170)
            else:
                px[y][x] = 64 + ((x // 20 + y // 6) % 16)

    def rect(x0, y0, x1, y1, c):
        for y in range(max(0, y0), min(H, y1)):
            for x in range(max(0, x0), min(W, x1)):
                px[y][x] = c

    def disc(cx, cy, r, c):
        for y in range(cy - r, cy + r + 1):
            for x in range(cx - r, cx + r + 1):
                if 0 <= x < W and 0 <= y < H and (x - cx) ** 2 + (y - cy) ** 2 <= r * r:
                    px[y][x] = c

    disc(260, 40, 18, 120)
    for (x, body, dark, gun) in ((40, 100, 101, 1), (220, 110, 111, -1)):
        rect(x, 150, x + 60, 170, body)
        rect(x + 4, 166, x + 56, 176, dark)
        rect(x + 18, 138, x + 42, 152, body)
        if gun > 0:
            rect(x + 42, 142, x + 72, 146, dark)
        else:
            rect(x - 12, 142, x + 18, 146, dark)
    disc(150, 120, 3, 120)
    rect(0, 0, W, 8, 121)
    return px


def rle8(px):
    out = bytearray()
    for row in reversed(px):  # bottom row first
        x = 0
        while x < W:
            run = 1
            while x + run < W and run < 255 and row[x + run] == row[x]:
                run += 1
            if run >= 2:
                out += bytes((run, row[x]))
                x += run
                continue
            lit = 1
            while x + lit < W and lit < 255 and not (
                    x + lit + 1 < W and row[x + lit] == row[x + lit + 1]):
                lit += 1
            if lit < 3:
                for i in range(lit):
                    out += bytes((1, row[x + i]))
            else:
                out += bytes((0, lit)) + bytes(row[x:x + lit])
                if lit % 2:
                    out.append(0)
            x += lit
        out += bytes((0, 0))
    out[-1] = 1  # the last end of line is the end of the bitmap
    return bytes(out)


def main():
    bits = rle8(scene())
    table = b"".join(struct.pack("<BBBB", b, g, r, 0) for (r, g, b) in palette)
    info = struct.pack("<IiiHHIIiiII", 40, W, H, 1, 8, 1, len(bits), 2835, 2835, 256, 0)
    offset = 14 + len(info) + len(table)
    head = struct.pack("<2sIHHI", b"BM", offset + len(bits), 0, 0, offset)
    path = os.path.join(HERE, "pictures", "snap", "tankwarz.bmp")
    with open(path + ".tmp", "wb") as f:
        f.write(head + info + table + bits)
    os.replace(path + ".tmp", path)


main()
