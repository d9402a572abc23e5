#!/usr/bin/env bash
# The start loop of `make bench`: starts one package again and again, each
# time in a fresh Wine session (a new prefix and a new Xvfb display, both
# made and checked ready by tests/wine/wine-session, as for the tests), while
# two CPU burners keep both cores busy. Under such load setup once started
# before the display was ready and could not show its window. A start counts
# only when the wizard showed its first page; setup is then left through
# Cancel. Prints "wizard shown in N of M starts" and the median and maximum
# time from start to the wizard; exits 1 when a start did not show it.
#   [STARTS=n] [START_TIMEOUT=s] start-loop.sh win32|win64 BENCH_START PACKAGE FIRST-PAGE-TITLE
# BENCH_START is bench_start.exe of the same tree as PACKAGE's setup.exe.
# STARTS defaults to 50; every start (session and setup together) is ended
# after START_TIMEOUT seconds (default 240) and counts as failed.
set -u
if [ $# -ne 4 ]; then
  echo "usage: start-loop.sh win32|win64 BENCH_START PACKAGE FIRST-PAGE-TITLE" >&2
  exit 2
fi
top=$(cd "$(dirname "$0")/.." && pwd)
arch=$1 driver=$2 package=$3 title=$4
starts=${STARTS:-50}
limit=${START_TIMEOUT:-240}
case $arch in
  win64) wine=/usr/lib/wine/wine64 ;;
  win32) wine=/usr/lib/wine/wine ;;
  *) echo "start-loop.sh: win32 or win64, not '$arch'" >&2; exit 2 ;;
esac
for f in "$driver" "$package"; do
  [ -f "$f" ] || { echo "start-loop.sh: no $f" >&2; exit 2; }
done
winpath() { printf 'Z:%s' "$(realpath "$1")" | tr / '\\'; }

logs=$(mktemp -d /tmp/kestin-starts.XXXXXX)
burners=()
current=""
# The burners, and a start still running, are always ended: on success, on
# failure and on Ctrl-C. A start is ended through its process group
# (timeout makes one of its own), so its wine-session cleans up its prefix
# and display.
stop() {
  if [ -n "$current" ]; then
    kill -TERM -- "-$current" 2>/dev/null
    wait "$current" 2>/dev/null
  fi
  for p in "${burners[@]}"; do kill "$p" 2>/dev/null; done
  for p in "${burners[@]}"; do wait "$p" 2>/dev/null; done
  rm -rf "$logs"
}
trap stop EXIT
trap 'exit 130' INT TERM

for _ in 1 2; do
  sh -c 'while :; do :; done' &
  burners+=($!)
done
# Each start makes its own display, as the tests do when none is set.
unset DISPLAY

shown=0
for i in $(seq "$starts"); do
  t0=$(date +%s%N)
  # In the background and waited for, so that Ctrl-C reaches the trap at
  # once instead of after the start.
  WINE_SESSION_ARCH=$arch timeout -k 10 "$limit" "$top/tests/wine/wine-session" \
    "$wine" "$driver" "$(winpath "$package")" "$title" >"$logs/$i" 2>&1 &
  current=$!
  wait "$current"
  rc=$?
  current=""
  echo $((($(date +%s%N) - t0) / 1000000)) >> "$logs/session-ms"
  ms=$(sed -n 's/^wizard shown after \([0-9]*\) ms.*/\1/p' "$logs/$i" | head -1)
  # The last line that says something: not blank, not the shell's note of
  # the signal that ended a timed-out start.
  last=$(grep -Ev '^[[:space:]]*$|^(Terminated|Killed)$' "$logs/$i" | tail -1 | tr -d '\r')
  if [ -n "$ms" ]; then
    shown=$((shown + 1))
    echo "$ms" >> "$logs/shown-ms"
    [ $rc -eq 0 ] || echo "start $i: wizard shown after $ms ms, then: ${last:-exit code $rc}"
  elif [ $rc -eq 124 ] || [ $rc -eq 137 ]; then
    echo "start $i: no wizard, ended after $limit s (last output: ${last:-none})"
  else
    echo "start $i: no wizard (exit code $rc): ${last:-no output}"
  fi
done

# Median (of an even count, the mean of the middle two) and maximum.
stats() {
  sort -n "$1" | awk '{ v[NR] = $1 } END {
    m = NR % 2 ? v[(NR + 1) / 2] : (v[NR / 2] + v[NR / 2 + 1]) / 2
    printf "median %d ms, max %d ms", m, v[NR] }'
}
echo "wizard shown in $shown of $starts starts (each in a fresh Wine prefix and display, two CPU burners running, load $(cut -d' ' -f1 /proc/loadavg))"
[ $shown -eq 0 ] || echo "time from start to the wizard: $(stats "$logs/shown-ms")"
echo "one whole start (fresh session, setup, Cancel, cleanup): $(stats "$logs/session-ms")"
[ "$shown" -eq "$starts" ]
