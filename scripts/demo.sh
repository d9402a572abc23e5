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
"$top/build/host/kestin-pack" build "$top/examples/demo" -o "$out/demo-setup.exe" \
    --stub "$top/build/win64/setup.exe" --dll "$top/build/win64/uncab.dll"
package=$out/demo-setup.exe
echo "demo package: $package"

if [ -n "${DISPLAY:-}" ] && [ -z "${CI:-}" ] && [ -t 0 ]; then
  exec "$top/tests/wine/wine-session" /usr/lib/wine/wine64 "$package"
fi

unset DISPLAY
rm -f "$out"/page*.png "$out"/box-*.png
# Wine sees the host's files on drive Z:.
winpath() { printf 'Z:%s' "$1" | tr / '\\'; }
"$top/tests/wine/wine-session" /usr/lib/wine/wine64 "$top/build/win64/kestin-e2e.exe" \
    "$(winpath "$package")" "$(winpath "$out")"
shots=$(ls "$out"/page*.png | wc -l)
echo "screenshots: $shots pages in $out"
[ "$shots" -eq 9 ]
