#!/usr/bin/env python3
"""Renders the program's pictures from drawings.py with rsvg-convert.

  make_pictures.py --ids widgets/picture_ids.h --out DIR [--sheet docs/artwork.png]

Writes DIR/svg/<id>.svg (the sources as rendered, for a designer's viewer), DIR/png/<id>.png,
DIR/lumaroo.ico (resource 128) and DIR/pictures.rc, which links them into the program as "PNG"
resources. --sheet also writes a contact sheet of every picture at 100 % and 150 %.
"""

import argparse
import base64
import os
import re
import struct
import subprocess
import sys
import zlib

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
from drawings import DRAWINGS, ICON_SIZES, logo  # noqa: E402


def read_ids(header):
    with open(header, encoding="utf-8") as f:
        ids = dict(re.findall(r"constexpr int (k\w+) = (\d+);", f.read()))
    return {name: int(number) for name, number in ids.items()}


def render(svg_text, svg_path, png_path, zoom=1.0):
    with open(svg_path, "w", encoding="utf-8") as f:
        f.write(svg_text)
    subprocess.run(["rsvg-convert", "-z", str(zoom), "-o", png_path, svg_path], check=True)


def decode_png(data):
    """(width, height, RGBA rows) of an 8-bit RGBA, non-interlaced PNG as rsvg-convert writes."""
    pos, idat, width = 8, b"", 0
    while pos < len(data):
        length, kind = struct.unpack(">I4s", data[pos:pos + 8])
        chunk = data[pos + 8:pos + 8 + length]
        if kind == b"IHDR":
            width, height, depth, colour = struct.unpack(">IIBB", chunk[:10])
            if depth != 8 or colour != 6:
                raise ValueError("expected 8-bit RGBA")
        elif kind == b"IDAT":
            idat += chunk
        pos += 12 + length
    raw, stride, rows, prev = zlib.decompress(idat), width * 4, [], bytearray(width * 4)
    for y in range(height):
        kind, row = raw[y * (stride + 1)], bytearray(raw[y * (stride + 1) + 1:(y + 1) * (stride + 1)])
        for i in range(stride):
            a = row[i - 4] if i >= 4 else 0
            b, c = prev[i], prev[i - 4] if i >= 4 else 0
            if kind == 1:
                row[i] = (row[i] + a) & 255
            elif kind == 2:
                row[i] = (row[i] + b) & 255
            elif kind == 3:
                row[i] = (row[i] + (a + b) // 2) & 255
            elif kind == 4:
                p = a + b - c
                pa, pb, pc = abs(p - a), abs(p - b), abs(p - c)
                row[i] = (row[i] + (a if pa <= pb and pa <= pc else b if pb <= pc else c)) & 255
        rows.append(bytes(row))
        prev = row
    return width, height, rows


def icon_entry(png):
    """A 32-bit DIB icon image (BGRA bottom-up plus an AND mask) for sizes up to 64; PNG above."""
    width, height, rows = decode_png(png)
    if width > 64:
        return width, png
    header = struct.pack("<IiiHHIIiiII", 40, width, height * 2, 1, 32, 0, 0, 0, 0, 0, 0)
    pixels = b"".join(bytes(r[i + 2:i + 3] + r[i + 1:i + 2] + r[i:i + 1] + r[i + 3:i + 4])
                      for r in reversed(rows) for i in range(0, width * 4, 4))
    mask_stride = ((width + 31) // 32) * 4
    mask = bytearray()
    for r in reversed(rows):
        bits = bytearray(mask_stride)
        for x in range(width):
            if r[x * 4 + 3] == 0:
                bits[x // 8] |= 0x80 >> (x % 8)
        mask += bits
    return width, header + pixels + bytes(mask)


def write_icon(path, images):
    out = struct.pack("<HHH", 0, 1, len(images))
    offset = 6 + 16 * len(images)
    for size, data in images:
        out += struct.pack("<BBBBHHII", size % 256, size % 256, 0, 0, 1, 32, len(data), offset)
        offset += len(data)
    with open(path, "wb") as f:
        f.write(out + b"".join(data for _, data in images))


def write_sheet(path, ids, out):
    """Every picture at 100 % and 150 %, on white or, for white artwork, on a dark tile."""
    tiles, x, y, row_height, width = [], 16, 16, 0, 1500
    for name, number in sorted(ids.items(), key=lambda item: item[1]):
        w, h, text, on_dark = DRAWINGS[name]()
        big = os.path.join(out, "svg", f"{number}@150.png")
        render(text, os.path.join(out, "svg", f"{number}@150.svg"), big, 1.5)
        small = os.path.join(out, "png", f"{number}.png")
        scale = 0.5 if w > 300 else 1.0  # the background shown at half size
        tile_w = int(w * scale + w * 1.5 * scale) + 36
        tile_h = int(h * 1.5 * scale) + 34
        if x + tile_w > width:
            x, y, row_height = 16, y + row_height + 12, 0
        tiles.append((number, x, y, tile_w, tile_h, w, h, scale, small, big, on_dark))
        x += tile_w + 12
        row_height = max(row_height, tile_h)
    height = y + row_height + 16
    parts = [f'<rect width="{width}" height="{height}" fill="#F4F4F4"/>']
    for number, x, y, tw, th, w, h, scale, small, big, on_dark in tiles:
        bg = "#4A4A4A" if on_dark else "#FFFFFF"
        parts.append(f'<rect x="{x}" y="{y}" width="{tw}" height="{th}" rx="4" fill="{bg}" '
                     f'stroke="#DDDDDD"/>')
        label = "#DDDDDD" if on_dark else "#777777"
        parts.append(f'<text x="{x + 8}" y="{y + 16}" font-family="DejaVu Sans" font-size="11" '
                     f'fill="{label}">{number}</text>')
        for i, (file, factor) in enumerate(((small, 1.0), (big, 1.5))):
            with open(file, "rb") as f:
                data = base64.b64encode(f.read()).decode()
            ox = x + 12 + (0 if i == 0 else int(w * scale) + 12)
            parts.append(f'<image x="{ox}" y="{y + 24}" width="{w * factor * scale}" '
                         f'height="{h * factor * scale}" href="data:image/png;base64,{data}"/>')
    sheet = (f'<svg xmlns="http://www.w3.org/2000/svg" width="{width}" height="{height}">'
             + "".join(parts) + "</svg>")
    render(sheet, os.path.join(out, "svg", "sheet.svg"), path)


def main():
    ap = argparse.ArgumentParser()
    ap.add_argument("--ids", required=True)
    ap.add_argument("--out", required=True)
    ap.add_argument("--sheet")
    args = ap.parse_args()
    ids = read_ids(args.ids)
    missing = sorted(set(ids) - set(DRAWINGS))
    unused = sorted(set(DRAWINGS) - set(ids))
    if missing or unused:
        sys.exit(f"pictures without a drawing: {missing}; drawings without a number: {unused}")
    for sub in ("svg", "png"):
        os.makedirs(os.path.join(args.out, sub), exist_ok=True)
    lines = ["// Generated by app/res/art/make_pictures.py: the program's pictures."]
    for name, number in sorted(ids.items(), key=lambda item: item[1]):
        w, h, text, _ = DRAWINGS[name]()
        png = os.path.join(args.out, "png", f"{number}.png")
        render(text, os.path.join(args.out, "svg", f"{number}.svg"), png)
        lines.append(f'{number} PNG "{os.path.abspath(png)}"')
    images = []
    for size in ICON_SIZES:
        png = os.path.join(args.out, "png", f"icon-{size}.png")
        render(logo(size)[2], os.path.join(args.out, "svg", f"icon-{size}.svg"), png)
        with open(png, "rb") as f:
            images.append(icon_entry(f.read()))
    ico = os.path.join(args.out, "lumaroo.ico")
    write_icon(ico, images)
    lines.append(f'128 ICON "{os.path.abspath(ico)}"')
    with open(os.path.join(args.out, "pictures.rc"), "w", encoding="utf-8") as f:
        f.write("\n".join(lines) + "\n")
    if args.sheet:
        write_sheet(args.sheet, ids, args.out)


if __name__ == "__main__":
    main()
