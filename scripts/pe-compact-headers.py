#!/usr/bin/env python3
"""Moves the PE headers of a linked image up over the DOS stub.

The linker places the PE headers after a 64-byte DOS program that only prints
that the program needs Windows, and with five section headers the headers then
end just past 512 bytes, so the file alignment gives them 1024. Without the
stub they fit in exactly 512 and every section's data moves 512 bytes down.
Nothing that runs on Windows reads the stub. An image whose headers would not
get smaller is left as it is (the x86_64 optional header is larger).

    pe-compact-headers.py IMAGE
"""
import struct
import sys


def checksum(data, checksum_offset):
    total = 0
    size = len(data)
    padded = data + b"\0" * (size & 1)
    for (word,) in struct.iter_unpack("<H", padded):
        total += word
        total = (total & 0xFFFF) + (total >> 16)
    # The stored checksum itself counts as zero: it is zeroed before this.
    return ((total & 0xFFFF) + size) & 0xFFFFFFFF


def main(path):
    data = bytearray(open(path, "rb").read())
    pe = struct.unpack_from("<I", data, 0x3C)[0]
    if data[:2] != b"MZ" or data[pe:pe + 4] != b"PE\0\0":
        sys.exit(f"{path}: not a PE image")
    sections = struct.unpack_from("<H", data, pe + 6)[0]
    optional_size = struct.unpack_from("<H", data, pe + 20)[0]
    optional = pe + 24
    file_alignment = struct.unpack_from("<I", data, optional + 36)[0]
    headers_size = struct.unpack_from("<I", data, optional + 60)[0]
    if struct.unpack_from("<I", data, pe + 12)[0]:
        sys.exit(f"{path}: has a symbol table (link with -s)")
    # The certificate table is the one directory given as a file offset.
    if struct.unpack_from("<II", data, optional + optional_size - 16 * 8 + 4 * 8) != (0, 0):
        sys.exit(f"{path}: is signed; compact it before signing")
    end = optional + optional_size + 40 * sections
    new_pe = 0x40
    new_end = new_pe + (end - pe)
    new_headers_size = -(-new_end // file_alignment) * file_alignment
    if new_headers_size >= headers_size:
        return
    if any(data[end:headers_size]):
        sys.exit(f"{path}: unexpected bytes after the section headers")
    shift = headers_size - new_headers_size
    out = bytearray(data[:0x40])
    struct.pack_into("<I", out, 0x3C, new_pe)
    out += data[pe:end]
    out += b"\0" * (new_headers_size - len(out))
    out += data[headers_size:]
    new_optional = new_pe + 24
    struct.pack_into("<I", out, new_optional + 60, new_headers_size)
    for i in range(sections):
        entry = new_optional + optional_size + 40 * i
        raw = struct.unpack_from("<I", out, entry + 20)[0]
        if raw:
            if raw < headers_size:
                sys.exit(f"{path}: section data inside the headers")
            struct.pack_into("<I", out, entry + 20, raw - shift)
    struct.pack_into("<I", out, new_optional + 64, 0)
    struct.pack_into("<I", out, new_optional + 64, checksum(bytes(out), new_optional + 64))
    open(path, "wb").write(out)


if __name__ == "__main__":
    main(sys.argv[1])
