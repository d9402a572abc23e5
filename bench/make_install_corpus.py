#!/usr/bin/env python3
"""Builds the install benchmark's product: COUNT files of SIZE bytes in
folders of 100, cut from the mixed corpus (so they compress as real products
do), and a setup script whose one option lists them all.

    make_install_corpus.py MIXED_CORPUS OUT_DIR [COUNT [SIZE]]
"""
import os
import shutil
import sys


def main():
    source, out = sys.argv[1], sys.argv[2]
    count = int(sys.argv[3]) if len(sys.argv) > 3 else 2000
    size = int(sys.argv[4]) if len(sys.argv) > 4 else 51200
    data = bytearray()
    for folder, dirs, files in os.walk(source):
        dirs.sort()
        for f in sorted(files):
            if f == 'kestin.ini':
                continue
            with open(os.path.join(folder, f), 'rb') as fh:
                data += fh.read()
            if len(data) >= count * size:
                break
        if len(data) >= count * size:
            break
    while len(data) < count * size:
        data.extend(bytes(data))
    if os.path.exists(out):
        shutil.rmtree(out)
    names = []
    for i in range(count):
        rel = 'files\\%02d\\%04d.bin' % (i // 100, i)
        path = os.path.join(out, 'files', '%02d' % (i // 100), '%04d.bin' % i)
        os.makedirs(os.path.dirname(path), exist_ok=True)
        with open(path, 'wb') as fh:
            fh.write(data[i * size:(i + 1) * size])
        names.append(rel)
    os.makedirs(os.path.join(out, 'KESTIN'))
    with open(os.path.join(out, 'KESTIN', 'kestin.ini'), 'w', newline='') as fh:
        fh.write('[Options]\r\nOption1_Text=All\r\nOption1_List=Files\r\n[Files]\r\n')
        for n, rel in enumerate(names, 1):
            fh.write('%d=%s\r\n' % (n, rel))
        fh.write('[Uninstall]\r\nSectionName=KestinBench\r\nUninstallerName=KestinBench.kvl\r\n')


if __name__ == '__main__':
    main()
