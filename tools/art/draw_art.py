#!/usr/bin/env python3
"""Draws the program's own artwork: the icon MAINICON and the wizard bitmap LOGO.

Run it after changing the design; the results are committed under res/.
Both are kept small on purpose (they count against setup.exe's size budget):
the icon uses 16 colours, the logo is an 8-bit run-length encoded bitmap.
"""
import struct
import sys
import os

# A kestrel-blue palette: index 0 transparent/black, then blues, white, amber.
PALETTE16 = [
    (0, 0, 0), (16, 40, 96), (24, 64, 140), (40, 96, 184),
    (72, 132, 214), (120, 170, 232), (180, 210, 245), (255, 255, 255),
    (250, 190, 40), (220, 140, 20), (128, 128, 128), (192, 192, 192),
    (0, 0, 128), (0, 128, 128), (128, 0, 0), (0, 0, 0),
]


def icon_pixels(n):
    """A rounded blue tile with a white box (the package) and an amber arrow."""
    px = [[0] * n for _ in range(n)]
    mask = [[1] * n for _ in range(n)]
    s = n / 32.0
    for y in range(n):
        for x in range(n):
            # rounded square
            cx = min(x, n - 1 - x)
            cy = min(y, n - 1 - y)
            r = int(4 * s)
            if cx < r and cy < r and (r - cx) ** 2 + (r - cy) ** 2 > r * r:
                continue
            mask[y][x] = 0
            px[y][x] = 1 + min(3, (y * 4) // n)
    # box
    for y in range(int(14 * s), int(27 * s)):
        for x in range(int(7 * s), int(25 * s)):
            edge = y in (int(14 * s), int(27 * s) - 1) or x in (int(7 * s), int(25 * s) - 1)
            px[y][x] = 1 if edge else (7 if y < int(18 * s) else 6)
    # arrow pointing into the box
    for y in range(int(3 * s), int(13 * s)):
        for x in range(int(14 * s), int(18 * s)):
            px[y][x] = 8
    for i in range(int(5 * s)):
        y = int(9 * s) + i
        for x in range(int(10 * s) + i, int(22 * s) - i):
            px[y][x] = 9 if i == 0 else 8
    return px, mask


def ico_image(n):
    px, mask = icon_pixels(n)
    header = struct.pack('<IiiHHIIiiII', 40, n, n * 2, 1, 4, 0, 0, 0, 0, 16, 0)
    pal = b''.join(struct.pack('<BBBB', b, g, r, 0) for (r, g, b) in PALETTE16)
    rows = b''
    for y in reversed(range(n)):
        row = bytearray()
        for x in range(0, n, 2):
            row.append((px[y][x] << 4) | px[y][x + 1])
        while len(row) % 4:
            row.append(0)
        rows += bytes(row)
    masks = b''
    for y in reversed(range(n)):
        bits = bytearray((n + 7) // 8)
        for x in range(n):
            if mask[y][x]:
                bits[x // 8] |= 0x80 >> (x % 8)
        while len(bits) % 4:
            bits.append(0)
        masks += bytes(bits)
    return header + pal + rows + masks


def write_ico(path):
    images = [ico_image(32), ico_image(16)]
    sizes = [32, 16]
    out = struct.pack('<HHH', 0, 1, len(images))
    offset = 6 + 16 * len(images)
    for n, img in zip(sizes, images):
        out += struct.pack('<BBBBHHII', n, n, 16, 0, 1, 4, len(img), offset)
        offset += len(img)
    out += b''.join(images)
    open(path, 'wb').write(out)


def logo_pixels(w, h):
    """Evening sky in horizontal bands, a hill line and the kestrel's wing mark."""
    px = [[0] * w for _ in range(h)]
    for y in range(h):
        band = 1 + (y * 12) // h          # colours 1..12: dark blue to pale sky
        for x in range(w):
            px[y][x] = band
    # hills: lower third in two greens
    for x in range(w):
        top = int(h * 0.72 + 10 * ((x % 60) - 30) ** 2 / 900)
        for y in range(top, h):
            px[y][x] = 13 if y < top + 6 else 14
    # wing mark: two broad chevrons
    cx, cy = w // 2, int(h * 0.35)
    for k, colour in ((0, 15), (14, 16)):
        for i in range(-40, 41):
            x = cx + i
            y0 = cy + k + abs(i) // 2
            for y in range(y0, y0 + 8):
                if 0 <= x < w and 0 <= y < h:
                    px[y][x] = colour
    return px


def logo_palette():
    pal = [(0, 0, 0)]
    for i in range(12):                   # sky, dark to light
        t = i / 11.0
        pal.append((int(20 + 150 * t), int(40 + 170 * t), int(110 + 130 * t)))
    pal += [(40, 110, 60), (30, 80, 45), (255, 255, 255), (250, 190, 40)]
    return pal


def rle8(px, w, h):
    out = bytearray()
    for y in reversed(range(h)):
        row = px[y]
        x = 0
        while x < w:
            run = 1
            while x + run < w and run < 255 and row[x + run] == row[x]:
                run += 1
            out += bytes((run, row[x]))
            x += run
        out += b'\x00\x00'               # end of line
    out += b'\x00\x01'                   # end of bitmap
    return bytes(out)


def write_logo(path, w=136, h=296):
    pal = logo_palette()
    data = rle8(logo_pixels(w, h), w, h)
    info = struct.pack('<IiiHHIIiiII', 40, w, h, 1, 8, 1, len(data), 2835, 2835, len(pal), len(pal))
    palb = b''.join(struct.pack('<BBBB', b, g, r, 0) for (r, g, b) in pal)
    body = info + palb + data
    fh = struct.pack('<2sIHHI', b'BM', 14 + len(body), 0, 0, 14 + len(info) + len(palb))
    open(path, 'wb').write(fh + body)


if __name__ == '__main__':
    out = sys.argv[1] if len(sys.argv) > 1 else os.path.join(os.path.dirname(__file__), '..', '..', 'res')
    os.makedirs(out, exist_ok=True)
    write_ico(os.path.join(out, 'kestin.ico'))
    write_logo(os.path.join(out, 'logo.bmp'))
