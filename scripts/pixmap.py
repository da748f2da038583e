#!/usr/bin/env python3
"""Turns a text pixel map into a Windows bitmap (.bmp) or icon (.ico).

A pixel map is reviewable text:

    # comments and blank lines are ignored
    palette
      . transparent
      k 000000
      r ff0000
    glyph record
      ....kkkk....
      ...krrrrk...
    glyph play
      ...

Every glyph of one file has the same size. `bmp` lays the glyphs side by side
in one 8-bit paletted bitmap (a toolbar strip), transparent pixels in the
background colour (default c0c0c0, the button face that the common controls
map to the system's own). `ico` writes one 32-bit image with alpha per glyph
(for example a 16x16 and a 32x32 glyph of the same icon).

usage: pixmap.py bmp IN.txt OUT.bmp [--background RRGGBB]
       pixmap.py ico IN.txt OUT.ico
"""
import struct
import sys


def parse(path):
    palette, glyphs, section = {}, [], None
    for number, raw in enumerate(open(path, encoding="ascii"), 1):
        line = raw.split("#", 1)[0].rstrip()
        if not line.strip():
            continue
        words = line.split()
        if line[0] != " " and words[0] == "palette":
            section = "palette"
        elif line[0] != " " and words[0] == "glyph":
            section = "glyph"
            glyphs.append([])
        elif section == "palette" and len(words) == 2 and len(words[0]) == 1:
            palette[words[0]] = None if words[1] == "transparent" else int(words[1], 16)
        elif section == "glyph":
            glyphs[-1].append(line.strip())
        else:
            sys.exit(f"{path}:{number}: unexpected line")
    if not glyphs:
        sys.exit(f"{path}: no glyph")
    height, width = len(glyphs[0]), len(glyphs[0][0])
    for glyph in glyphs:
        if len(glyph) != height or any(len(row) != width for row in glyph):
            if len(glyphs) == 1 or len(glyph) == len(glyphs[0]):
                sys.exit(f"{path}: glyph rows of different lengths")
        for row in glyph:
            for ch in row:
                if ch not in palette:
                    sys.exit(f"{path}: '{ch}' is not in the palette")
    return palette, glyphs


def write_bmp(path, palette, glyphs, background):
    height, width = len(glyphs[0]), len(glyphs[0][0])
    if any(len(g) != height or len(g[0]) != width for g in glyphs):
        sys.exit("bmp: every glyph must have the same size")
    colours = [background] + sorted({c for c in palette.values() if c is not None and c != background})
    index = {ch: colours.index(background if rgb is None else rgb) for ch, rgb in palette.items()}
    total = width * len(glyphs)
    stride = (total + 3) & ~3
    rows = []
    for y in reversed(range(height)):  # bottom-up
        row = bytes(index[g[y][x]] for g in glyphs for x in range(width))
        rows.append(row + bytes(stride - total))
    pixels = b"".join(rows)
    table = b"".join(struct.pack("<BBBB", c & 0xFF, (c >> 8) & 0xFF, c >> 16, 0) for c in colours)
    info = struct.pack("<IiiHHIIiiII", 40, total, height, 1, 8, 0, len(pixels), 2835, 2835, len(colours), 0)
    offset = 14 + len(info) + len(table)
    header = struct.pack("<2sIHHI", b"BM", offset + len(pixels), 0, 0, offset)
    open(path, "wb").write(header + info + table + pixels)


def icon_image(palette, glyph):
    height, width = len(glyph), len(glyph[0])
    pixels, mask = b"", b""
    mask_stride = ((width + 31) // 32) * 4
    for y in reversed(range(height)):
        bits = 0
        for x in range(width):
            rgb = palette[glyph[y][x]]
            if rgb is None:
                pixels += b"\0\0\0\0"
                bits |= 1 << (mask_stride * 8 - 1 - x)
            else:
                pixels += struct.pack("<BBBB", rgb & 0xFF, (rgb >> 8) & 0xFF, rgb >> 16, 0xFF)
        mask += bits.to_bytes(mask_stride, "big")
    info = struct.pack("<IiiHHIIiiII", 40, width, height * 2, 1, 32, 0, len(pixels) + len(mask), 0, 0, 0, 0)
    return width, height, info + pixels + mask


def write_ico(path, palette, glyphs):
    images = [icon_image(palette, g) for g in glyphs]
    out = struct.pack("<HHH", 0, 1, len(images))
    offset = 6 + 16 * len(images)
    for width, height, data in images:
        out += struct.pack("<BBBBHHII", width % 256, height % 256, 0, 0, 1, 32, len(data), offset)
        offset += len(data)
    out += b"".join(data for _, _, data in images)
    open(path, "wb").write(out)


def main(argv):
    if len(argv) < 4 or argv[1] not in ("bmp", "ico"):
        sys.exit(__doc__)
    palette, glyphs = parse(argv[2])
    if argv[1] == "bmp":
        background = 0xC0C0C0
        if len(argv) == 6 and argv[4] == "--background":
            background = int(argv[5], 16)
        write_bmp(argv[3], palette, glyphs, background)
    else:
        write_ico(argv[3], palette, glyphs)


if __name__ == "__main__":
    main(sys.argv)
