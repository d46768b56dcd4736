#!/usr/bin/env python3
"""Writes a valid PNG of the given size (1-bit grey, all white): small on disk, however large
it declares itself. Usage: make_large_png.py OUT WIDTH HEIGHT"""
import struct
import sys
import zlib


def chunk(kind, data):
    return struct.pack(">I", len(data)) + kind + data + struct.pack(">I", zlib.crc32(kind + data))


def main():
    out, width, height = sys.argv[1], int(sys.argv[2]), int(sys.argv[3])
    row = b"\x00" + b"\xff" * ((width + 7) // 8)
    pixels = zlib.compress(row * height, 9)
    png = (b"\x89PNG\r\n\x1a\n" + chunk(b"IHDR", struct.pack(">IIBBBBB", width, height, 1, 0, 0, 0, 0))
           + chunk(b"IDAT", pixels) + chunk(b"IEND", b""))
    with open(out, "wb") as f:
        f.write(png)


if __name__ == "__main__":
    main()
