#!/usr/bin/env python3
"""Draws icon 2000 (16x16 and 32x32, 32-bit with alpha): a clipboard with hex rows."""
import struct, sys

def draw(n):
    px = [[(0, 0, 0, 0)] * n for _ in range(n)]
    s = n / 32.0
    def rect(x0, y0, x1, y1, c):
        for y in range(int(y0 * s), int(y1 * s)):
            for x in range(int(x0 * s), int(x1 * s)):
                if 0 <= x < n and 0 <= y < n:
                    px[y][x] = c
    board = (40, 90, 160, 255)    # clipboard frame
    paper = (250, 250, 245, 255)
    clip = (150, 150, 160, 255)
    ink = (200, 60, 40, 255)
    ink2 = (40, 120, 60, 255)
    rect(4, 3, 28, 31, board)
    rect(7, 7, 25, 29, paper)
    rect(11, 1, 21, 6, clip)
    for i, y in enumerate((10, 14, 18, 22)):
        rect(9, y, 15, y + 2, ink if i % 2 == 0 else ink2)
        rect(17, y, 23, y + 2, ink2 if i % 2 == 0 else ink)
    return px

def dib(n):
    px = draw(n)
    hdr = struct.pack('<IiiHHIIiiII', 40, n, 2 * n, 1, 32, 0, 0, 0, 0, 0, 0)
    xor = b''.join(bytes((b, g, r, a)) for row in reversed(px) for (r, g, b, a) in row)
    stride = ((n + 31) // 32) * 4
    andmask = bytearray()
    for row in reversed(px):
        bits = bytearray(stride)
        for x, (_, _, _, a) in enumerate(row):
            if a == 0:
                bits[x // 8] |= 0x80 >> (x % 8)
        andmask += bits
    return hdr + xor + bytes(andmask)

images = [dib(16), dib(32)]
out = struct.pack('<HHH', 0, 1, len(images))
offset = 6 + 16 * len(images)
for n, data in zip((16, 32), images):
    out += struct.pack('<BBBBHHII', n, n, 0, 0, 1, 32, len(data), offset)
    offset += len(data)
out += b''.join(images)
open(sys.argv[1], 'wb').write(out)
