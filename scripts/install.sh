#!/usr/bin/env bash
# Installs kestin-pack for publishers: the tool, the release setup program and
# helper library it packs by default, and its man page.
#   scripts/install.sh DESTDIR PREFIX TOOL WIN32_DIR
# TOOL is the kestin-pack to install; WIN32_DIR holds setup.exe and uncab.dll.
# The tool finds PREFIX/share/kestin from PREFIX/bin, so the tree can be moved
# as a whole.
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
destdir=${1:-}
prefix=${2:-/usr/local}
tool=${3:-$top/build/release/kestin-pack}
win32=${4:-$top/build/win32}
case "$prefix" in
  /*) ;;
  *) echo "install.sh: PREFIX must be an absolute path, not '$prefix'" >&2; exit 2 ;;
esac
for f in "$tool" "$win32/setup.exe" "$win32/uncab.dll"; do
  [ -f "$f" ] || { echo "install.sh: $f is missing; run make install (it builds it first)" >&2; exit 1; }
done
root=$destdir$prefix
install -d "$root/bin" "$root/share/kestin" "$root/share/man/man1" "$root/share/doc/kestin-pack"
install -m 0755 "$tool" "$root/bin/kestin-pack"
install -m 0644 "$win32/setup.exe" "$win32/uncab.dll" "$root/share/kestin/"
gzip -9n < "$top/docs/kestin-pack.1" > "$root/share/man/man1/kestin-pack.1.gz"
chmod 0644 "$root/share/man/man1/kestin-pack.1.gz"
install -m 0644 "$top/docs/publisher-guide.md" "$root/share/doc/kestin-pack/"
echo "installed kestin-pack under $root"
