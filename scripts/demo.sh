#!/usr/bin/env bash
# The main job: build the demo package and run it under Wine. With a display
# the user clicks through it; headless, the end-to-end driver walks all nine
# pages, installs, checks what was installed, uninstalls through the
# uninstall entry and checks that nothing is left. The screenshots of the
# nine pages stay in build/demo/.
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
out=$top/build/demo
mkdir -p "$out"
# The release setup.exe, i686 under 32-bit Wine where this machine runs
# 32-bit programs; the x86_64 build under wine64 elsewhere. The driver that
# walks the wizard is built in both trees.
tree=win64
if [ -f "$top/build/win32/setup.exe" ] && [ -f "$top/build/win32/kestin-e2e.exe" ] &&
   why=$("$top/scripts/can-run-i386.sh"); then
  tree=win32
else
  echo "demo runs the x86_64 build: ${why:-no i686 build}" >&2
fi
export WINE_SESSION_ARCH=$tree
"$top/build/host/kestin-pack" build "$top/examples/demo" -o "$out/demo-setup.exe" \
    --stub "$top/build/$tree/setup.exe" --dll "$top/build/$tree/uncab.dll"
package=$out/demo-setup.exe
echo "demo package ($tree): $package"

if [ -n "${DISPLAY:-}" ] && [ -z "${CI:-}" ] && [ -t 0 ]; then
  exec "$top/tests/wine/wine-session" bash -c '"$KESTIN_WINE" "$1"' _ "$package"
fi

unset DISPLAY
rm -f "$out"/page*.png "$out"/box-*.png
# Wine sees the host's files on drive Z:.
winpath() { printf 'Z:%s' "$1" | tr / '\\'; }
"$top/tests/wine/wine-session" bash -c '"$KESTIN_WINE" "$1" "$2" "$3"' _ \
    "$top/build/$tree/kestin-e2e.exe" "$(winpath "$package")" "$(winpath "$out")"
shots=$(ls "$out"/page*.png | wc -l)
echo "screenshots: $shots pages in $out"
[ "$shots" -eq 9 ]
