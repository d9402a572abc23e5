#!/usr/bin/env python3
"""Draws the program's own cursors, the group cursors 32756 to 32767.

Run it after changing a design; the .cur files are committed under res/ and
listed in src/app/setup.rc.in. Each cursor is one 32 x 32 two-colour image
(white shapes with a black outline), the smallest form the system loads
without scaling, since every byte counts against setup.exe's size budget.

    draw_cursors.py [output folder]
"""
import os
import struct
import sys

N = 32
CLEAR, BLACK, WHITE = None, 'B', 'W'

ARROW = """
B...........
BB..........
BWB.........
BWWB........
BWWWB.......
BWWWWB......
BWWWWWB.....
BWWWWWWB....
BWWWWWWWB...
BWWWWWWWWB..
BWWWWWWWWWB.
BWWWWWWBBBBB
BWWWBWWB....
BWWBBWWB....
BWB..BWWB...
BB...BWWB...
B.....BWWB..
......BWWB..
.......BB...
"""

POINTING_HAND = """
.....##..........
....####.........
....####.........
....####.........
....####.........
....####.........
....#######......
....##########...
....############.
.##.############.
####.###########.
#################
#################
.################
..###############
..###############
...#############.
...#############.
....###########..
....###########..
.....#########...
.....#########...
"""

OPEN_HAND = """
.......##.........
...##.####.##.....
..#########.###...
..#############...
..#############...
..#############.##
..#############.##
..################
..################
..###############.
##################
##################
.#################
..################
..###############.
...##############.
...#############..
....############..
....###########...
.....##########...
.....##########...
"""

CLOSED_HAND = """
...##.##.##.......
..##########......
..############....
..############....
.##############...
###############...
################..
################..
.###############..
..##############..
..#############...
...############...
...###########....
....##########....
....##########....
"""


class Canvas:
    def __init__(self):
        self.px = [[CLEAR] * N for _ in range(N)]

    def put(self, x, y, c):
        if 0 <= x < N and 0 <= y < N:
            self.px[y][x] = c

    def art(self, text, ox, oy):
        """Pixels as drawn: B black, W white, anything else left clear."""
        for y, row in enumerate(text.strip('\n').split('\n')):
            for x, ch in enumerate(row):
                if ch in 'BW':
                    self.put(ox + x, oy + y, ch)

    def shape(self, cells, ox=0, oy=0):
        """A filled shape: white inside, black on its border."""
        cells = {(x + ox, y + oy) for (x, y) in cells}
        for (x, y) in cells:
            edge = any((x + dx, y + dy) not in cells for dx, dy in ((1, 0), (-1, 0), (0, 1), (0, -1)))
            self.put(x, y, BLACK if edge else WHITE)

    def mask(self, text, ox, oy):
        cells = set()
        for y, row in enumerate(text.strip('\n').split('\n')):
            for x, ch in enumerate(row):
                if ch == '#':
                    cells.add((x, y))
        self.shape(cells, ox, oy)

    def ink(self, cells):
        """Black cells with a white halo, so they show on dark backgrounds too."""
        cells = set(cells)
        for (x, y) in cells:
            for dx in (-1, 0, 1):
                for dy in (-1, 0, 1):
                    if (x + dx, y + dy) not in cells and 0 <= x + dx < N and 0 <= y + dy < N:
                        if self.px[y + dy][x + dx] is CLEAR:
                            self.put(x + dx, y + dy, WHITE)
        for (x, y) in cells:
            self.put(x, y, BLACK)


def box(x0, y0, x1, y1):
    return {(x, y) for x in range(x0, x1 + 1) for y in range(y0, y1 + 1)}


def disc(cx, cy, r):
    return {(x, y) for x in range(cx - r, cx + r + 1) for y in range(cy - r, cy + r + 1)
            if (x - cx) ** 2 + (y - cy) ** 2 <= r * r + r}


def line(x0, y0, x1, y1, w=1):
    cells = set()
    steps = max(abs(x1 - x0), abs(y1 - y0), 1)
    for i in range(steps + 1):
        x = x0 + (x1 - x0) * i / steps
        y = y0 + (y1 - y0) * i / steps
        for dx in range(w):
            for dy in range(w):
                cells.add((round(x) + dx, round(y) + dy))
    return cells


def triangle(cx, cy, size, direction):
    """A filled arrow head pointing up, down, left or right from (cx, cy)."""
    cells = set()
    for i in range(size):
        for j in range(-i, i + 1):
            if direction == 'up':
                cells.add((cx + j, cy + i))
            elif direction == 'down':
                cells.add((cx + j, cy - i))
            elif direction == 'left':
                cells.add((cx + i, cy + j))
            else:
                cells.add((cx - i, cy + j))
    return cells


def with_arrow(extra):
    c = Canvas()
    extra(c)
    c.art(ARROW, 0, 0)
    return c, (0, 0)


def drag(c):
    c.shape(box(11, 19, 21, 27))


def multi_drag(c):
    c.shape(box(14, 16, 24, 24))
    c.shape(box(10, 20, 20, 28))


def no_drop(c):
    ring = disc(20, 22, 7) - disc(20, 22, 4)
    c.ink(ring | line(15, 17, 25, 27, 2))


def busy(c):
    # A small hourglass beside the arrow.
    glass = set()
    for i in range(6):
        glass |= {(x, 16 + i) for x in range(13 + i, 24 - i)}
        glass |= {(x, 27 - i) for x in range(13 + i, 24 - i)}
    c.shape(glass)
    c.ink(box(12, 15, 24, 15) | box(12, 28, 24, 28))


def copy_drop(c):
    c.shape(box(12, 18, 24, 30))
    c.ink(box(15, 23, 21, 25) | box(17, 21, 19, 27))


def split(horizontal):
    c = Canvas()
    if horizontal:
        bars = box(4, 13, 27, 14) | box(4, 17, 27, 18)
        stem = box(15, 6, 16, 25)
        heads = triangle(15, 3, 5, 'up') | triangle(16, 3, 5, 'up') | \
            triangle(15, 28, 5, 'down') | triangle(16, 28, 5, 'down')
    else:
        bars = box(13, 4, 14, 27) | box(17, 4, 18, 27)
        stem = box(6, 15, 25, 16)
        heads = triangle(3, 15, 5, 'left') | triangle(3, 16, 5, 'left') | \
            triangle(28, 15, 5, 'right') | triangle(28, 16, 5, 'right')
    c.ink(bars | stem | heads)
    return c, (16, 16)


def pointing_hand():
    c = Canvas()
    c.mask(POINTING_HAND, 6, 1)
    c.ink(box(14, 16, 14, 18) | box(17, 16, 17, 18) | box(20, 16, 20, 18))
    return c, (11, 1)


def open_hand():
    c = Canvas()
    c.mask(OPEN_HAND, 7, 5)
    c.ink(line(12, 7, 12, 13) | line(16, 6, 16, 13) | line(20, 7, 20, 13))
    return c, (16, 15)


def closed_hand():
    c = Canvas()
    c.mask(CLOSED_HAND, 7, 9)
    c.ink(line(12, 11, 12, 13) | line(15, 11, 15, 13) | line(18, 11, 18, 13))
    return c, (16, 15)


def magnifier():
    c = Canvas()
    c.shape(disc(12, 12, 8))
    c.ink(disc(12, 12, 9) - disc(12, 12, 7))
    c.ink(line(19, 19, 28, 28, 3))
    return c, (12, 12)


def near_segment(x0, y0, x1, y1, r):
    """Cells within distance r of a segment: a thick stroke."""
    cells = set()
    for x in range(N):
        for y in range(N):
            dx, dy = x1 - x0, y1 - y0
            t = max(0.0, min(1.0, ((x - x0) * dx + (y - y0) * dy) / float(dx * dx + dy * dy)))
            if (x - x0 - t * dx) ** 2 + (y - y0 - t * dy) ** 2 <= r * r:
                cells.add((x, y))
    return cells


def pencil():
    c = Canvas()
    c.shape(near_segment(8, 23, 26, 5, 3.2))
    c.ink(line(9, 25, 27, 7) & near_segment(8, 23, 26, 5, 3.2))
    c.shape(near_segment(4, 27, 8, 23, 2.2))
    c.ink(line(1, 30, 3, 28, 2))
    return c, (1, 30)


CURSORS = {
    32767: lambda: with_arrow(drag),
    32766: lambda: with_arrow(multi_drag),
    32765: lambda: with_arrow(no_drop),
    32764: lambda: split(True),
    32763: lambda: split(False),
    32762: lambda: with_arrow(busy),
    32761: pointing_hand,
    32760: open_hand,
    32759: closed_hand,
    32758: magnifier,
    32757: pencil,
    32756: lambda: with_arrow(copy_drop),
}


def cur_bytes(canvas, hotspot):
    def rows(bit_of):
        out = b''
        for y in reversed(range(N)):
            bits = 0
            for x in range(N):
                if bit_of(canvas.px[y][x]):
                    bits |= 1 << (N - 1 - x)
            out += struct.pack('>I', bits)
        return out
    xor = rows(lambda p: p == WHITE)
    and_ = rows(lambda p: p is CLEAR)
    header = struct.pack('<IiiHHIIiiII', 40, N, N * 2, 1, 1, 0, len(xor) + len(and_), 0, 0, 2, 0)
    palette = struct.pack('<BBBBBBBB', 0, 0, 0, 0, 255, 255, 255, 0)
    image = header + palette + xor + and_
    directory = struct.pack('<HHH', 0, 2, 1)
    entry = struct.pack('<BBBBHHII', N, N, 2, 0, hotspot[0], hotspot[1], len(image), 6 + 16)
    return directory + entry + image


def main():
    out = sys.argv[1] if len(sys.argv) > 1 else os.path.join(os.path.dirname(__file__), '..', '..', 'res')
    os.makedirs(out, exist_ok=True)
    for number, draw in sorted(CURSORS.items()):
        canvas, hotspot = draw()
        with open(os.path.join(out, 'cursor_%d.cur' % number), 'wb') as f:
            f.write(cur_bytes(canvas, hotspot))


if __name__ == '__main__':
    main()
