#!/usr/bin/env python3
"""Packs a Windows program image for the loader of the release setup.exe.

  pack-image.py PROGRAM.exe OUT.cpp   the packed image as a C++ array
  pack-image.py PROGRAM.exe OUT.bin   the packed image itself (for tests)

Lays the program's sections out as the system would map them, leaves the
resources out (they stay in the loader's file), stores call targets relative
to the image (see store_call_targets), compresses the rest into one raw LZMA
stream (trying a few literal and position settings, keeping the smallest)
and writes it as a C++ array behind the header that
src/unpack/packed_image.h describes.
"""
import struct
import sys
import lzma

EXECUTE, READ, WRITE = 0x20000000, 0x40000000, 0x80000000


def fail(message):
    sys.exit(f"pack-image: {message}")


def read_image(path):
    data = open(path, "rb").read()
    if data[:2] != b"MZ":
        fail(f"{path} is not a Windows program")
    pe = struct.unpack_from("<I", data, 0x3C)[0]
    if data[pe:pe + 4] != b"PE\0\0":
        fail(f"{path} is not a Windows program")
    sections, optional_size = struct.unpack_from("<H12xH", data, pe + 6)
    opt = pe + 24
    magic = struct.unpack_from("<H", data, opt)[0]
    if magic == 0x10B:
        pe64, base, dirs = False, struct.unpack_from("<I", data, opt + 28)[0], opt + 96
    elif magic == 0x20B:
        pe64, base, dirs = True, struct.unpack_from("<Q", data, opt + 24)[0], opt + 112
    else:
        fail(f"{path} has an unknown optional header")
    entry = struct.unpack_from("<I", data, opt + 16)[0]
    image_size = struct.unpack_from("<I", data, opt + 56)[0]
    count = struct.unpack_from("<I", data, dirs - 4)[0]
    directory = [struct.unpack_from("<II", data, dirs + 8 * i) for i in range(count)]
    # Thread-local data and load configuration would need the system loader.
    for index, what in ((9, "thread-local data"), (10, "a load configuration")):
        if index < count and directory[index][1]:
            fail(f"{path} has {what}, which the loader does not set up")
    table = []
    image = bytearray(image_size)
    for i in range(sections):
        h = pe + 24 + optional_size + 40 * i
        name = data[h:h + 8].rstrip(b"\0")
        vsize, rva, raw_size, raw_at = struct.unpack_from("<IIII", data, h + 8)
        flags = struct.unpack_from("<I", data, h + 36)[0]
        access = (1 if flags & READ else 0) | (2 if flags & WRITE else 0) | (4 if flags & EXECUTE else 0)
        if access & 2 and access & 4:
            fail(f"{path}: section {name.decode()} is both writable and executable")
        table.append((rva, vsize, access or 1))
        if name != b".rsrc":
            take = min(raw_size, vsize)
            image[rva:rva + take] = data[raw_at:raw_at + take]
    return pe64, base, entry, image, directory, table


def store_call_targets(image, table):
    """x86 calls and jumps (E8, E9) in code sections get their target stored
    relative to the image start rather than to the next instruction, so that
    calls of one function read the same; the loader undoes it exactly."""
    for rva, vsize, access in table:
        if not access & 4:
            continue
        at, end = rva, rva + vsize
        while end - at >= 5:
            if image[at] & 0xFE == 0xE8:
                relative = struct.unpack_from("<I", image, at + 1)[0]
                struct.pack_into("<I", image, at + 1, (relative + at + 5) & 0xFFFFFFFF)
                at += 5
            else:
                at += 1


def compress(data):
    """The smallest raw LZMA stream over a few settings, with its settings
    as the header stores them (lc | lp << 8 | pb << 16)."""
    best = None
    for lc, lp, pb in ((3, 0, 0), (2, 0, 0), (4, 0, 0), (3, 0, 2), (1, 0, 0)):
        filters = [{"id": lzma.FILTER_LZMA1, "preset": 9 | lzma.PRESET_EXTREME,
                    "lc": lc, "lp": lp, "pb": pb, "dict_size": 1 << 20}]
        stream = lzma.compress(bytes(data), format=lzma.FORMAT_RAW, filters=filters)
        if best is None or len(stream) < len(best[1]):
            best = (lc | lp << 8 | pb << 16, stream)
    return best


def main():
    if len(sys.argv) != 3:
        sys.exit("usage: pack-image.py PROGRAM.exe OUT.cpp|OUT.bin")
    pe64, base, entry, image, directory, table = read_image(sys.argv[1])
    get = lambda i: directory[i] if i < len(directory) else (0, 0)
    store_call_targets(image, table)
    first = min(rva for rva, _, _ in table)
    end = len(image.rstrip(b"\0"))
    payload = image[first:end]
    imports, relocs, functions = get(1), get(5), get(3) if pe64 else (0, 0)
    properties, stream = compress(payload)
    header = struct.pack("<4s7IQ4I", b"KSPI", len(image), entry, imports[0], relocs[0], relocs[1],
                         functions[0], functions[1], base, first, len(payload), len(table), properties)
    packed = bytearray(header)
    for rva, vsize, access in table:
        packed += struct.pack("<III", rva, vsize, access)
    packed += stream
    if sys.argv[2].endswith(".bin"):
        with open(sys.argv[2], "wb") as f:
            f.write(packed)
        return
    lines = ["// Generated by scripts/pack-image.py from " + sys.argv[1].rsplit("/", 1)[-1] + "; do not edit.",
             'extern "C" const unsigned char kPackedImage[] = {']
    for at in range(0, len(packed), 24):
        lines.append(",".join(str(b) for b in packed[at:at + 24]) + ",")
    lines.append("};")
    lines.append('extern "C" const unsigned kPackedImageSize = sizeof(kPackedImage);')
    with open(sys.argv[2], "w") as f:
        f.write("\n".join(lines) + "\n")
    print(f"pack-image: {len(image) - first} bytes of image packed into {len(packed)}")


main()
