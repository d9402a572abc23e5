#!/usr/bin/env python3
"""Builds the benchmark corpus: a product folder of text, programs and
already-compressed data taken from this machine, the same selection on every
run (sorted walk, fixed byte budgets).

    make_corpus.py OUT_DIR [--scale N]   mixed corpus, about 66 MB x N
    make_corpus.py OUT_DIR --many 2000   2000 equal small files (first-vs-last test)
    make_corpus.py OUT_DIR --small-text  many small text files, about 20 MB
    make_corpus.py OUT_DIR --script      (re)writes only the setup script

The setup script installs every file through one list, as a publisher's
would, so kestin-pack's check has nothing to warn about.
"""
import os
import re
import shutil
import sys

RESERVED = re.compile(r'^(con|prn|aux|nul|conin\$|conout\$|clock\$|com\d|lpt\d)$', re.I)
BAD_CHARS = set('<>:"\\|?*')


def packable(name):
    return (name and not RESERVED.match(name.split('.')[0].rstrip())
            and not any(c in BAD_CHARS or ord(c) < 32 for c in name)
            and name[-1] not in '. ' and name.isascii())


def pick(roots, budget, keep, max_file):
    """Regular files under roots, in sorted order, until budget bytes."""
    chosen, total, seen = [], 0, set()
    for root in roots:
        for folder, dirs, files in os.walk(root):
            dirs.sort()
            for f in sorted(files):
                path = os.path.join(folder, f)
                if not keep(path) or not os.path.isfile(path) or os.path.islink(path):
                    continue
                size = os.path.getsize(path)
                if size == 0 or size > max_file:
                    continue
                rel = os.path.relpath(path, '/')
                if not all(packable(p) for p in rel.split('/')) or rel.lower() in seen:
                    continue
                seen.add(rel.lower())
                chosen.append((path, rel))
                total += size
                if total >= budget:
                    return chosen
    return chosen


def copy_all(chosen, out, category):
    for src, rel in chosen:
        dst = os.path.join(out, category, rel)
        os.makedirs(os.path.dirname(dst), exist_ok=True)
        shutil.copyfile(src, dst)


def write_script(out):
    os.makedirs(os.path.join(out, 'KESTIN'), exist_ok=True)
    files = []
    for folder, dirs, names in os.walk(out):
        for name in names:
            rel = os.path.relpath(os.path.join(folder, name), out)
            if not rel.startswith('KESTIN' + os.sep):
                files.append(rel.replace(os.sep, '\\'))
    files.sort()
    with open(os.path.join(out, 'KESTIN', 'kestin.ini'), 'w', newline='') as f:
        f.write('[General]\r\nCaption=Benchmark\r\n[Options]\r\nOption1_Text=Everything\r\n'
                'Option1_List=Files\r\n[Files]\r\n')
        for i, name in enumerate(files, 1):
            f.write('%d=%s\r\n' % (i, name))


def main():
    out = sys.argv[1]
    args = sys.argv[2:]
    if args[:1] == ['--script']:
        write_script(out)
        return
    if os.path.exists(out):
        shutil.rmtree(out)
    os.makedirs(out)
    try:
        fill(out, args)
    finally:
        write_script(out)


def fill(out, args):
    if args[:1] == ['--small-text']:
        # Source headers: thousands of small text files, where a cabinet of
        # one solid folder has the edge over folders that restart often.
        copy_all(pick(['/usr/include'], 20 << 20, lambda p: p.endswith('.h'), 256 << 10), out, 'include')
        return
    if args[:1] == ['--many']:
        # Equal files (16 KiB of header text each), so the first and the last
        # cost the same to decode and only their place in the cabinet differs.
        count, size = int(args[1]), 16 << 10
        text = b''
        for src, _ in pick(['/usr/include'], count * size, lambda p: p.endswith('.h'), 1 << 20):
            with open(src, 'rb') as f:
                text += f.read()
        os.makedirs(os.path.join(out, 'files'))
        for i in range(count):
            with open(os.path.join(out, 'files', '%04d.txt' % i), 'wb') as f:
                f.write(text[i * size:(i + 1) * size])
        return
    scale = int(args[1]) if args[:1] == ['--scale'] else 1
    mb = 1 << 20
    copy_all(pick(['/usr/include', '/usr/share/doc'], 26 * mb * scale,
                  lambda p: not p.endswith(('.gz', '.xz', '.bz2', '.png', '.jpg')), 2 * mb), out, 'text')
    copy_all(pick(['/usr/bin', '/usr/lib/x86_64-linux-gnu'], 26 * mb * scale,
                  lambda p: True, 8 * mb), out, 'bin')
    copy_all(pick(['/usr/share'], 14 * mb * scale,
                  lambda p: p.endswith(('.gz', '.xz', '.bz2', '.png', '.jpg', '.zip')), 4 * mb),
             out, 'packed')


if __name__ == '__main__':
    main()
