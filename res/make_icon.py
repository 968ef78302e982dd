#!/usr/bin/env python3
"""Writes the Windows icon of the program: its 16, 32 and 48 pixel renderings (res/icons), each
at 4, 8 and 24 bits per pixel with a transparency mask, nine images in one .ico file.

Usage: make_icon.py OUTPUT.ico PNG...

Only the standard library: the bit depth and palette of every image are chosen here, which an
image converter's icon writer does not let one do per image. The 4-bit images use the system's
16 standard colours (a 16-colour display has no others), each pixel the nearest of them: at
these sizes a dither only adds noise. The 8-bit images get a palette cut to the image's own
colours.
"""

import struct
import sys
import zlib

# The 16 colours of a 4-bit display, in the order of its palette.
STANDARD_16 = [
    (0x00, 0x00, 0x00), (0x80, 0x00, 0x00), (0x00, 0x80, 0x00), (0x80, 0x80, 0x00),
    (0x00, 0x00, 0x80), (0x80, 0x00, 0x80), (0x00, 0x80, 0x80), (0xC0, 0xC0, 0xC0),
    (0x80, 0x80, 0x80), (0xFF, 0x00, 0x00), (0x00, 0xFF, 0x00), (0xFF, 0xFF, 0x00),
    (0x00, 0x00, 0xFF), (0xFF, 0x00, 0xFF), (0x00, 0xFF, 0xFF), (0xFF, 0xFF, 0xFF),
]
OPAQUE_FROM = 128  # alpha at or above which a pixel is drawn; below it the mask shows through


def read_png(path):
    """Returns (width, height, rows of (r, g, b, a)) of an 8-bit RGB or RGBA PNG."""
    with open(path, "rb") as f:
        data = f.read()
    if data[:8] != b"\x89PNG\r\n\x1a\n":
        raise ValueError(f"{path}: not a PNG file")
    pos = 8
    idat = b""
    header = None
    while pos < len(data):
        length, kind = struct.unpack(">I4s", data[pos:pos + 8])
        body = data[pos + 8:pos + 8 + length]
        pos += 12 + length
        if kind == b"IHDR":
            header = struct.unpack(">IIBBBBB", body)
        elif kind == b"IDAT":
            idat += body
        elif kind == b"IEND":
            break
    width, height, depth, colour, _, _, interlace = header
    if depth != 8 or colour not in (2, 6) or interlace != 0:
        raise ValueError(f"{path}: only 8-bit RGB or RGBA PNGs without interlacing are read")
    channels = 4 if colour == 6 else 3
    raw = zlib.decompress(idat)
    stride = width * channels
    rows = []
    previous = bytearray(stride)
    pos = 0
    for _ in range(height):
        kind = raw[pos]
        line = bytearray(raw[pos + 1:pos + 1 + stride])
        pos += 1 + stride
        for i in range(stride):
            left = line[i - channels] if i >= channels else 0
            up = previous[i]
            upper_left = previous[i - channels] if i >= channels else 0
            if kind == 1:
                line[i] = (line[i] + left) & 0xFF
            elif kind == 2:
                line[i] = (line[i] + up) & 0xFF
            elif kind == 3:
                line[i] = (line[i] + (left + up) // 2) & 0xFF
            elif kind == 4:
                p = left + up - upper_left
                pa, pb, pc = abs(p - left), abs(p - up), abs(p - upper_left)
                predictor = left if pa <= pb and pa <= pc else (up if pb <= pc else upper_left)
                line[i] = (line[i] + predictor) & 0xFF
        previous = line
        row = []
        for x in range(width):
            px = line[x * channels:(x + 1) * channels]
            row.append((px[0], px[1], px[2], px[3] if channels == 4 else 255))
        rows.append(row)
    return width, height, rows


def nearest(palette, colour):
    r, g, b = colour
    best, best_distance = 0, None
    for index, (pr, pg, pb) in enumerate(palette):
        # Weighted by how strongly the eye tells the channels apart.
        distance = 2 * (r - pr) ** 2 + 4 * (g - pg) ** 2 + 3 * (b - pb) ** 2
        if best_distance is None or distance < best_distance:
            best, best_distance = index, distance
    return best


def median_cut(colours, count):
    """A palette of at most `count` colours for the given {colour: pixels} histogram."""
    boxes = [list(colours.items())]
    while len(boxes) < count:
        splittable = [b for b in boxes if len(b) > 1]
        if not splittable:
            break

        def extent(box):
            return max(max(c[0][k] for c in box) - min(c[0][k] for c in box) for k in range(3))

        box = max(splittable, key=extent)
        boxes.remove(box)
        channel = max(range(3), key=lambda k: max(c[0][k] for c in box) - min(c[0][k] for c in box))
        box.sort(key=lambda c: c[0][channel])
        total = sum(n for _, n in box)
        running, cut = 0, 1
        for i, (_, n) in enumerate(box):
            running += n
            if running * 2 >= total:
                cut = max(1, min(i + 1, len(box) - 1))
                break
        boxes += [box[:cut], box[cut:]]
    palette = []
    for box in boxes:
        total = sum(n for _, n in box)
        palette.append(tuple(round(sum(c[k] * n for c, n in box) / total) for k in range(3)))
    return palette


def indexed(rows, palette):
    """Palette indices of the opaque pixels, each the nearest colour of the palette."""
    return [[nearest(palette, (r, g, b)) if a >= OPAQUE_FROM else 0 for r, g, b, a in row]
            for row in rows]


def padded(row_bytes):
    return row_bytes + b"\x00" * (-len(row_bytes) % 4)


def dib(rows, bits):
    """One icon image: BITMAPINFOHEADER, palette, colour bits and mask, rows bottom-up."""
    height, width = len(rows), len(rows[0])
    palette = []
    if bits == 4:
        palette = STANDARD_16
        indices = indexed(rows, palette)
    elif bits == 8:
        histogram = {}
        for row in rows:
            for r, g, b, a in row:
                if a >= OPAQUE_FROM:
                    histogram[(r, g, b)] = histogram.get((r, g, b), 0) + 1
        palette = median_cut(histogram, 256) if histogram else [(0, 0, 0)]
        indices = indexed(rows, palette)
    colour = b""
    mask = b""
    for y in reversed(range(height)):
        line = bytearray()
        if bits == 24:
            for r, g, b, a in rows[y]:
                line += bytes((b, g, r)) if a >= OPAQUE_FROM else b"\x00\x00\x00"
        elif bits == 8:
            line += bytes(indices[y][x] if rows[y][x][3] >= OPAQUE_FROM else 0
                          for x in range(width))
        else:
            values = [indices[y][x] if rows[y][x][3] >= OPAQUE_FROM else 0 for x in range(width)]
            values += [0] * (len(values) % 2)
            line += bytes((values[i] << 4) | values[i + 1] for i in range(0, len(values), 2))
        colour += padded(bytes(line))
        bitsline = bytearray((width + 7) // 8)
        for x in range(width):
            if rows[y][x][3] < OPAQUE_FROM:
                bitsline[x // 8] |= 0x80 >> (x % 8)
        mask += padded(bytes(bitsline))
    table = b"".join(bytes((b, g, r, 0)) for r, g, b in palette)
    table += b"\x00\x00\x00\x00" * ((1 << bits) - len(palette) if bits <= 8 else 0)
    header = struct.pack("<IiiHHIIiiII", 40, width, height * 2, 1, bits, 0,
                         len(colour) + len(mask), 0, 0, 0, 0)
    return header + table + colour + mask


def main(argv):
    if len(argv) < 3:
        sys.stderr.write("usage: make_icon.py OUTPUT.ico PNG...\n")
        return 2
    images = []
    renderings = sorted((read_png(path) for path in argv[2:]), key=lambda png: -png[0])
    for width, height, rows in renderings:
        if width != height or width > 255:
            raise ValueError("icon renderings must be square and smaller than 256 pixels")
        for bits in (4, 8, 24):
            images.append((width, bits, dib(rows, bits)))
    directory = struct.pack("<HHH", 0, 1, len(images))
    offset = len(directory) + 16 * len(images)
    entries = b""
    for size, bits, data in images:
        entries += struct.pack("<BBBBHHII", size, size, 16 if bits == 4 else 0, 0, 1, bits,
                               len(data), offset)
        offset += len(data)
    with open(argv[1], "wb") as out:
        out.write(directory + entries + b"".join(data for _, _, data in images))
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv))
