#!/usr/bin/env bash
# Builds build/deb/kestin-pack_VERSION_ARCH.deb from the optimised tool and the
# release setup program and library (make deb builds them first), then has
# lintian check it; lintian errors fail the build.
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
version=$("$top/build/release/kestin-pack" --version | awk '{print $2}')
arch=$(dpkg --print-architecture)
work=$top/build/deb
root=$work/root
rm -rf "$work"
mkdir -p "$root/DEBIAN"
"$top/scripts/install.sh" "$root" /usr "$top/build/release/kestin-pack" "$top/build/win32" >/dev/null
strip --strip-unneeded --remove-section=.comment --remove-section=.note "$root/usr/bin/kestin-pack"

doc=$root/usr/share/doc/kestin-pack
cat > "$doc/copyright" <<COPYRIGHT
Format: https://www.debian.org/doc/packaging-manuals/copyright-format/1.0/
Upstream-Name: kestin

Files: *
Copyright: 2026 The Kestin developers
License: MIT
 Permission is hereby granted, free of charge, to any person obtaining a copy
 of this software and associated documentation files (the "Software"), to deal
 in the Software without restriction, including without limitation the rights
 to use, copy, modify, merge, publish, distribute, sublicense, and/or sell
 copies of the Software, and to permit persons to whom the Software is
 furnished to do so, subject to the following conditions:
 .
 The above copyright notice and this permission notice shall be included in
 all copies or substantial portions of the Software.
 .
 THE SOFTWARE IS PROVIDED "AS IS", WITHOUT WARRANTY OF ANY KIND, EXPRESS OR
 IMPLIED, INCLUDING BUT NOT LIMITED TO THE WARRANTIES OF MERCHANTABILITY,
 FITNESS FOR A PARTICULAR PURPOSE AND NONINFRINGEMENT. IN NO EVENT SHALL THE
 AUTHORS OR COPYRIGHT HOLDERS BE LIABLE FOR ANY CLAIM, DAMAGES OR OTHER
 LIABILITY, WHETHER IN AN ACTION OF CONTRACT, TORT OR OTHERWISE, ARISING FROM,
 OUT OF OR IN CONNECTION WITH THE SOFTWARE OR THE USE OR OTHER DEALINGS IN
 THE SOFTWARE.
COPYRIGHT
date=$(date -R -u -d "@${SOURCE_DATE_EPOCH:-$(git -C "$top" log -1 --format=%ct 2>/dev/null || date +%s)}")
printf 'kestin-pack (%s) unstable; urgency=medium\n\n  * Package built from the Kestin source tree.\n\n -- Kestin developers <kestin@example.org>  %s\n' \
    "$version" "$date" | gzip -9n > "$doc/changelog.gz"

# The libraries the tool links, as Debian names them.
shlib=$work/shlibdeps
mkdir -p "$shlib/debian"
printf 'Source: kestin\n\nPackage: kestin-pack\nArchitecture: any\n' > "$shlib/debian/control"
depends=$(cd "$shlib" && dpkg-shlibdeps -O "$root/usr/bin/kestin-pack" 2>/dev/null | sed -n 's/^shlibs:Depends=//p')
size=$(du -k -s --exclude=DEBIAN "$root" | cut -f1)
cat > "$root/DEBIAN/control" <<CONTROL
Package: kestin-pack
Version: $version
Architecture: $arch
Maintainer: Kestin developers <kestin@example.org>
Installed-Size: $size
Depends: $depends
Section: devel
Priority: optional
Homepage: https://kestin.example.org/
Description: builds self-extracting Windows installer packages
 kestin-pack turns a folder with a product's files and a setup script into
 one Windows setup program: the Kestin setup program, its cabinet library and
 a cabinet with the product. It checks the setup script by the setup
 program's own rules before it builds, and lists, tests and extracts packages.
CONTROL
(cd "$root" && find usr -type f -print0 | sort -z | xargs -0 md5sum) > "$root/DEBIAN/md5sums"
find "$root" -type d -exec chmod 0755 {} +
chmod 0644 "$root/DEBIAN/control" "$root/DEBIAN/md5sums"
deb=$work/kestin-pack_${version}_${arch}.deb
dpkg-deb --root-owner-group -Zxz --build "$root" "$deb" >/dev/null
echo "built $deb"
# Errors fail the build; warnings are shown.
lintian --fail-on error "$deb"
