#!/usr/bin/env python3
"""Writes tools/pack/code_pages/cpNNN.bin, the Windows code pages kestin-pack
converts UTF-8 texts to, from Python's codecs. Run at development time only;
the files are committed and built into kestin-pack.

Each file is zlib data of little-endian 16-bit Unicode values (0: no
character), each stored as the difference from the one before:
  128 values for the single bytes 0x80 to 0xFF, then, for the double-byte
  pages, 126 x 191 values for lead bytes 0x81-0xFE and trail bytes 0x40-0xFE.
"""
import os
import struct
import zlib

SINGLE = [1250, 1251, 1252, 1253, 1254, 1255, 1256, 1257, 874]
DOUBLE = [932, 936, 949, 950]


def char(cp, b):
    try:
        u = b.decode('cp%d' % cp)
    except UnicodeDecodeError:
        return 0
    return ord(u) if len(u) == 1 and ord(u) < 0x10000 else 0


def table(cp):
    values = [char(cp, bytes([b])) for b in range(0x80, 0x100)]
    if cp in DOUBLE:
        for lead in range(0x81, 0xFF):
            values += [char(cp, bytes([lead, trail])) for trail in range(0x40, 0xFF)]
    deltas, previous = [], 0
    for v in values:
        deltas.append((v - previous) & 0xFFFF)
        previous = v
    return zlib.compress(struct.pack('<%dH' % len(deltas), *deltas), 9)


out = os.path.join(os.path.dirname(os.path.abspath(__file__)), '..', 'tools', 'pack', 'code_pages')
os.makedirs(out, exist_ok=True)
for cp in SINGLE + DOUBLE:
    with open(os.path.join(out, 'cp%d.bin' % cp), 'wb') as f:
        f.write(table(cp))
