#!/usr/bin/env python3
"""Prints the benchmark tables from hyperfine's JSON and the size figures."""
import json
import os
import sys


def runs(path):
    return {r['command']: r for r in json.load(open(path))['results']}


def line(name, r, mib=None):
    speed = '  %7.1f MiB/s' % (mib / r['mean']) if mib else ''
    return '%-24s %7.3f s ± %.3f  (cpu %6.3f s)%s' % (name, r['mean'], r['stddev'] or 0.0,
                                                     r['user'] + r['system'], speed)


def build(json_path, ours_cab, gcab_cab, corpus_bytes):
    r = runs(json_path)
    mib = int(corpus_bytes) / 1048576
    ours, theirs = r['kestin-pack build'], r['gcab -c -z']
    print(line('kestin-pack build', ours, mib))
    print(line('gcab -c -z', theirs, mib))
    a, b = os.path.getsize(ours_cab), os.path.getsize(gcab_cab)
    print('cabinet size: kestin-pack %d bytes, gcab %d bytes (ratio %.4f, %+.2f%%)'
          % (a, b, a / b, 100.0 * (a - b) / b))
    print('speed: kestin-pack is %.2fx as fast as gcab (target: at least 2x on 2 cores)'
          % (theirs['mean'] / ours['mean']))


def decode(json_path, corpus_bytes):
    r = runs(json_path)
    mib = int(corpus_bytes) / 1048576
    for name in ('kestin-pack extract', 'cabextract', 'zlib inflate (memory)'):
        print(line(name, r[name], mib))
    ours = r['kestin-pack extract']['mean']
    print('kestin-pack extract vs cabextract: %.2fx as fast (target: at least 1x); vs zlib: %.2fx'
          % (r['cabextract']['mean'] / ours, r['zlib inflate (memory)']['mean'] / ours))


def pick(ours, theirs):
    for name, text in (('kestin-pack package', ours), ('gcab (one folder)', theirs)):
        files, first, last, ratio = text.split()
        print('%-20s %s files: first %7.3f ms, last %7.3f ms, last/first %.2f'
              % (name, files, float(first), float(last), float(ratio)))


def install(json_path, corpus_bytes):
    r = runs(json_path)
    mib = int(corpus_bytes) / 1048576
    for name in ('install run', 'xcopy'):
        print(line(name, r[name], mib))
    print('install run takes %.2fx the time of the plain copy (target: at most 1.5x)'
          % (r['install run']['mean'] / r['xcopy']['mean']))


if __name__ == '__main__':
    {'build': build, 'decode': decode, 'pick': pick, 'install': install}[sys.argv[1]](*sys.argv[2:])
