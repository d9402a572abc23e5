#!/usr/bin/env python3
"""Adds every file under a folder of a product to one of its script's lists.

  add_to_list.py PRODUCT_DIR LIST_SECTION FOLDER

FOLDER is relative to PRODUCT_DIR; the files are appended to LIST_SECTION of
PRODUCT_DIR/KESTIN/kestin.ini, numbered on from its last entry.
"""
import os
import sys

product, section, folder = sys.argv[1:4]
names = []
for root, _, files in os.walk(os.path.join(product, folder)):
    for name in files:
        names.append(os.path.relpath(os.path.join(root, name), product).replace(os.sep, '\\'))
names.sort()
script = os.path.join(product, 'KESTIN', 'kestin.ini')
lines = open(script, 'rb').read().decode('cp1252').splitlines()
start = lines.index('[%s]' % section)
end = start + 1
while end < len(lines) and not lines[end].startswith('['):
    end += 1
while end > start + 1 and not lines[end - 1].strip():
    end -= 1
count = sum(1 for line in lines[start + 1:end] if '=' in line)
added = ['%d=%s' % (count + i, name) for i, name in enumerate(names, 1)]
lines[end:end] = added
open(script, 'wb').write(('\r\n'.join(lines) + '\r\n').encode('cp1252'))
print('%d files added to [%s]' % (len(added), section))
