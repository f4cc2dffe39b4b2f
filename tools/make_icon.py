#!/usr/bin/env python3
"""Build resources/pezzarium.ico from the rendered PNG icons.

The .ico holds eight images: 16, 24, 32 and 48 px, each once as a 256-colour
palettised bitmap (for old shells and low-colour displays) and once as 32-bit
BGRA with alpha. Both kinds carry the 1-bit AND mask that the format requires.

Re-run from the repository root after editing the artwork:

    python3 tools/make_icon.py --render   # SVG -> PNG (needs rsvg-convert), then .ico
    python3 tools/make_icon.py            # .ico from the existing PNGs only

The 16 px PNG comes from resources/pezzarium-16.svg, a pixel-grid redraw of the
main picture; the other sizes are rendered from resources/pezzarium.svg.
Only the Python standard library is used (rsvg-convert for --render).
"""

import argparse
import struct
import subprocess
import sys
import zlib
from pathlib import Path

ROOT = Path(__file__).resolve().parent.parent
RES = ROOT / "resources"
SIZES = (16, 24, 32, 48)
ALPHA_CUTOFF = 128  # below this a pixel counts as transparent in the AND mask


def png_path(size):
    return RES / "icons" / f"pezzarium-{size}.png"


def render_pngs():
    for size in SIZES:
        svg = RES / ("pezzarium-16.svg" if size == 16 else "pezzarium.svg")
        subprocess.run(
            ["rsvg-convert", "-w", str(size), "-h", str(size), "-o", str(png_path(size)), str(svg)],
            check=True,
        )


def read_png(path):
    """Return (width, height, rows) with rows as lists of (r, g, b, a) tuples.

    Handles the 8-bit RGB/RGBA non-interlaced files that rsvg-convert writes.
    """
    data = path.read_bytes()
    if data[:8] != b"\x89PNG\r\n\x1a\n":
        raise ValueError(f"{path}: not a PNG file")
    pos, idat, header = 8, bytearray(), None
    while pos < len(data):
        length, ctype = struct.unpack(">I4s", data[pos:pos + 8])
        body = data[pos + 8:pos + 8 + length]
        pos += 12 + length
        if ctype == b"IHDR":
            header = struct.unpack(">IIBBBBB", body)
        elif ctype == b"IDAT":
            idat += body
        elif ctype == b"IEND":
            break
    if header is None:
        raise ValueError(f"{path}: no IHDR chunk")
    width, height, depth, colour, _, _, interlace = header
    if depth != 8 or colour not in (2, 6) or interlace:
        raise ValueError(f"{path}: only 8-bit RGB/RGBA non-interlaced PNGs are supported")
    bpp = 4 if colour == 6 else 3
    stride = width * bpp
    raw = zlib.decompress(bytes(idat))
    if len(raw) != height * (stride + 1):
        raise ValueError(f"{path}: image data has the wrong length")

    rows, prev = [], bytearray(stride)
    for y in range(height):
        start = y * (stride + 1)
        ftype, line = raw[start], bytearray(raw[start + 1:start + 1 + stride])
        for i in range(stride):
            left = line[i - bpp] if i >= bpp else 0
            up = prev[i]
            upleft = prev[i - bpp] if i >= bpp else 0
            if ftype == 1:
                line[i] = (line[i] + left) & 0xFF
            elif ftype == 2:
                line[i] = (line[i] + up) & 0xFF
            elif ftype == 3:
                line[i] = (line[i] + (left + up) // 2) & 0xFF
            elif ftype == 4:
                p = left + up - upleft
                pa, pb, pc = abs(p - left), abs(p - up), abs(p - upleft)
                pred = left if pa <= pb and pa <= pc else up if pb <= pc else upleft
                line[i] = (line[i] + pred) & 0xFF
            elif ftype != 0:
                raise ValueError(f"{path}: bad filter type {ftype}")
        prev = line
        if bpp == 4:
            rows.append([tuple(line[x:x + 4]) for x in range(0, stride, 4)])
        else:
            rows.append([tuple(line[x:x + 3]) + (255,) for x in range(0, stride, 3)])
    return width, height, rows


def and_mask(width, rows):
    """1 bit per pixel, set where transparent; rows bottom-up, padded to 32 bits."""
    row_bytes = (width + 31) // 32 * 4
    out = bytearray()
    for row in reversed(rows):
        bits = bytearray(row_bytes)
        for x, (_, _, _, a) in enumerate(row):
            if a < ALPHA_CUTOFF:
                bits[x // 8] |= 0x80 >> (x % 8)
        out += bits
    return bytes(out)


def bitmap_header(width, height, bit_count, image_bytes):
    # BITMAPINFOHEADER; the height counts the XOR image plus the AND mask.
    return struct.pack("<IiiHHIIiiII", 40, width, height * 2, 1, bit_count, 0,
                       image_bytes, 0, 0, 0, 0)


def dib_32(width, height, rows):
    pixels = bytearray()
    for row in reversed(rows):
        for r, g, b, a in row:
            pixels += bytes((b, g, r, a))
    mask = and_mask(width, rows)
    return bitmap_header(width, height, 32, len(pixels) + len(mask)) + pixels + mask


def median_cut(colours, count):
    """Reduce a list of (r, g, b) colours to at most `count` representatives."""
    def spread(box, axis):
        return max(c[axis] for c in box) - min(c[axis] for c in box)

    boxes = [list(colours)]
    while len(boxes) < count:
        splittable = [b for b in boxes if len(set(b)) > 1]
        if not splittable:
            break
        box = max(splittable, key=lambda b: max(spread(b, i) for i in range(3)))
        boxes.remove(box)
        axis = max(range(3), key=lambda i: spread(box, i))
        box.sort(key=lambda c: c[axis])
        mid = len(box) // 2
        boxes += [box[:mid], box[mid:]]
    return [tuple(sum(c[i] for c in b) // len(b) for i in range(3)) for b in boxes]


def palettise(rows):
    """Map opaque pixels to a palette of at most 255 colours; index 0 is for
    transparent pixels, which the AND mask hides anyway."""
    opaque = [p[:3] for row in rows for p in row if p[3] >= ALPHA_CUTOFF]
    unique = sorted(set(opaque))
    palette = unique if len(unique) <= 255 else median_cut(opaque, 255)
    palette = [(0, 0, 0)] + palette
    lookup = {}

    def index_of(rgb):
        if rgb not in lookup:
            lookup[rgb] = min(range(1, len(palette)),
                              key=lambda i: sum((palette[i][k] - rgb[k]) ** 2 for k in range(3)))
        return lookup[rgb]

    indices = [[index_of(p[:3]) if p[3] >= ALPHA_CUTOFF else 0 for p in row] for row in rows]
    return palette, indices


def dib_8(width, height, rows):
    palette, indices = palettise(rows)
    colour_table = bytearray()
    for r, g, b in palette + [(0, 0, 0)] * (256 - len(palette)):
        colour_table += bytes((b, g, r, 0))
    row_pad = bytes(-width % 4)
    pixels = bytearray()
    for row in reversed(indices):
        pixels += bytes(row) + row_pad
    mask = and_mask(width, rows)
    return (bitmap_header(width, height, 8, len(pixels) + len(mask))
            + colour_table + pixels + mask)


def build_ico(images):
    """images: list of (width, height, bit_count, dib_bytes)."""
    header = struct.pack("<HHH", 0, 1, len(images))
    offset = len(header) + 16 * len(images)
    entries, blobs = bytearray(), bytearray()
    for width, height, bit_count, dib in images:
        # Width/height 0 would mean 256; colour count 0 means "256 or more".
        entries += struct.pack("<BBBBHHII", width % 256, height % 256, 0, 0, 1,
                               bit_count, len(dib), offset + len(blobs))
        blobs += dib
    return header + bytes(entries) + bytes(blobs)


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--render", action="store_true",
                        help="re-render the PNGs from the SVG sources first")
    parser.add_argument("-o", "--output", type=Path, default=RES / "pezzarium.ico")
    args = parser.parse_args()

    if args.render:
        render_pngs()

    decoded = []
    for size in SIZES:
        width, height, rows = read_png(png_path(size))
        if (width, height) != (size, size):
            sys.exit(f"{png_path(size)} is {width}x{height}, expected {size}x{size}")
        decoded.append((size, rows))

    images = [(s, s, 8, dib_8(s, s, rows)) for s, rows in decoded]
    images += [(s, s, 32, dib_32(s, s, rows)) for s, rows in decoded]
    args.output.write_bytes(build_ico(images))
    print(f"wrote {args.output} ({len(images)} images)")


if __name__ == "__main__":
    main()
