#!/usr/bin/env bash
# The main job: build the demo package and run it under Wine. With a display the
# run is interactive; headless it runs under Xvfb, a screenshot is saved to
# build/demo/ and whatever it opened is closed.
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
out=$top/build/demo
mkdir -p "$out"
# The release build (i686) under 32-bit Wine where this machine runs 32-bit
# programs; the x86_64 build under wine64 elsewhere.
tree=win64
if [ -f "$top/build/win32/setup.exe" ] && why=$("$top/scripts/can-run-i386.sh"); then
  tree=win32
else
  echo "demo runs the x86_64 build: ${why:-no i686 build}" >&2
fi
export WINE_SESSION_ARCH=$tree
package=$top/build/$tree/setup.exe
if [ -x "$top/build/host/kestin-pack" ] && [ -d "$top/examples/demo" ]; then
  "$top/build/host/kestin-pack" build "$top/examples/demo" -o "$out/demo-setup.exe" \
      --stub "$top/build/$tree/setup.exe" --dll "$top/build/$tree/uncab.dll"
  package=$out/demo-setup.exe
fi
echo "demo package ($tree): $package"

if [ -n "${DISPLAY:-}" ] && [ -z "${CI:-}" ] && [ -t 0 ]; then
  exec "$top/tests/wine/wine-session" bash -c '"$KESTIN_WINE" "$1"' _ "$package"
fi

unset DISPLAY
"$top/tests/wine/wine-session" bash -c '
  package=$1; out=$2
  cd "$(dirname "$package")"
  "$KESTIN_WINE" "$package" &
  pid=$!
  # Give the first window time to appear, then photograph the screen.
  for _ in $(seq 40); do
    xdotool search --onlyvisible --name . >/dev/null 2>&1 && break
    sleep 0.5
  done
  sleep 2
  import -window root "$out/demo.png"
  echo "screenshot: $out/demo.png"
  /usr/lib/wine/wineserver -k
  wait $pid 2>/dev/null || true
' _ "$package" "$out"
