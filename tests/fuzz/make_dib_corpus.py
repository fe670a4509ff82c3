#!/usr/bin/env python3
"""Writes the seed corpus of the bitmap fuzzer: small honest bitmaps of every
header size, bit depth and compression, as DIBs and as bitmap files, and a few
hostile headers. Run from anywhere; the seeds go to corpus/dib next to it."""
import os
import struct

OUT = os.path.join(os.path.dirname(os.path.abspath(__file__)), "corpus", "dib")

BI_RGB, BI_RLE8, BI_RLE4, BI_BITFIELDS, BI_JPEG, BI_PNG = 0, 1, 2, 3, 4, 5


def stride(width, bits):
    return (width * bits + 31) // 32 * 4


def info_header(size, width, height, bits, compression, colors_used=0, size_image=0):
    head = struct.pack("<IiiHHIIiiII", size, width, height, 1, bits, compression,
                       size_image, 2835, 2835, colors_used, 0)
    if size > 40:
        masks = {16: (0xF800, 0x07E0, 0x001F, 0), 32: (0xFF0000, 0xFF00, 0xFF, 0xFF000000)}
        r, g, b, a = masks.get(bits, (0, 0, 0, 0))
        head += struct.pack("<IIII", r, g, b, a)[: min(16, size - 40)]
        head += b"\0" * (size - len(head))
        if size >= 108:  # colour space type: sRGB
            head = head[:56] + struct.pack("<I", 0x73524742) + head[60:]
    return head


def palette(count):
    return b"".join(struct.pack("<BBBB", (i * 37) & 255, (i * 91) & 255, (i * 13) & 255, 0)
                    for i in range(count))


def pixels(width, height, bits):
    row = stride(width, bits)
    return bytes((x * 7 + y * 13) & 255 for y in range(height) for x in range(row))


def dib(size, width, height, bits, compression=BI_RGB, colors_used=0):
    head = info_header(size, width, height, bits, compression, colors_used)
    table = b""
    if compression == BI_BITFIELDS and size == 40:
        table += struct.pack("<III", *((0xF800, 0x07E0, 0x001F) if bits == 16 else (0xFF0000, 0xFF00, 0xFF)))
    count = colors_used or ((1 << bits) if bits <= 8 else 0)
    table += palette(count)
    return head + table + pixels(width, abs(height), bits)


def rle8(width, height):
    head = info_header(40, width, height, 8, BI_RLE8, 4)
    body = b""
    for y in range(height):
        body += bytes([width, y & 3])          # a run of one colour
        body += b"\0\0"                         # end of line
    body += b"\0\1"                             # end of bitmap
    return head + palette(4) + body


def rle4(width, height):
    head = info_header(40, width, height, 4, BI_RLE4, 0)
    body = b""
    for y in range(height):
        body += bytes([width, 0x12])
        body += b"\0\0"
    body += b"\0\1"
    return head + palette(16) + body


def core(width, height, bits):
    head = struct.pack("<IHHHH", 12, width, height, 1, bits)
    table = b"".join(struct.pack("<BBB", i, 255 - i, i // 2) for i in range((1 << bits) if bits <= 8 else 0))
    return head + table + pixels(width, height, bits)


def bmp_file(data):
    return b"BM" + struct.pack("<IHHI", 14 + len(data), 0, 0, 14 + 40) + data


def main():
    os.makedirs(OUT, exist_ok=True)
    seeds = {}
    for bits in (1, 4, 8, 16, 24, 32):
        seeds[f"rgb{bits}"] = dib(40, 5, 3, bits)
        seeds[f"rgb{bits}_topdown"] = dib(40, 3, -2, bits)
    seeds["rgb8_used3"] = dib(40, 4, 2, 8, colors_used=3)
    seeds["bitfields16"] = dib(40, 3, 2, 16, BI_BITFIELDS)
    seeds["bitfields32"] = dib(40, 3, 2, 32, BI_BITFIELDS)
    seeds["v3_bitfields16"] = dib(56, 3, 2, 16, BI_BITFIELDS)
    seeds["v4_bitfields32"] = dib(108, 3, 2, 32, BI_BITFIELDS)
    seeds["v5_bitfields32"] = dib(124, 3, -2, 32, BI_BITFIELDS)
    seeds["v5_rgb24"] = dib(124, 2, 2, 24)
    seeds["v2_rgb8"] = dib(52, 2, 2, 8)
    seeds["rle8"] = rle8(6, 3)
    seeds["rle4"] = rle4(6, 3)
    seeds["core1"] = core(9, 2, 1)
    seeds["core8"] = core(2, 2, 8)
    seeds["core24"] = core(2, 2, 24)
    seeds["file_rgb24"] = bmp_file(dib(40, 3, 2, 24))
    seeds["file_rgb8"] = bmp_file(dib(40, 3, 2, 8))
    seeds["file_rle8"] = bmp_file(rle8(4, 2))
    # Hostile: each claims more than it holds or overflows 32-bit arithmetic.
    seeds["bad_short_pixels"] = dib(40, 5, 3, 24)[:-1]
    seeds["bad_huge"] = info_header(40, 65535, 65535, 32, BI_RGB) + b"\0" * 16
    seeds["bad_intmin"] = info_header(40, 1, -2**31, 24, BI_RGB) + b"\0" * 4
    seeds["bad_colors"] = info_header(40, 1, 1, 8, BI_RGB, 0xFFFFFFFF) + b"\0" * 8
    seeds["bad_header_size"] = struct.pack("<I", 0xFFFFFFF0) + b"\0" * 36
    seeds["bad_rle_huge"] = info_header(40, 65535, 65535, 8, BI_RLE8, 1) + b"\0" * 8
    seeds["bad_jpeg"] = info_header(40, 1, 1, 0, BI_JPEG) + b"\xff\xd8\xff"
    seeds["bad_file_torn"] = b"BM" + b"\0" * 12 + struct.pack("<I", 40)
    for name, data in seeds.items():
        with open(os.path.join(OUT, name + ".bin"), "wb") as f:
            f.write(data)
    print(f"{len(seeds)} seeds in {OUT}")


if __name__ == "__main__":
    main()
