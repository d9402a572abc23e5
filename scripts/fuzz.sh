#!/usr/bin/env bash
# Longer fuzzing: every target for the given number of seconds (default 300).
set -euo pipefail
secs=${1:-300}
cd "$(dirname "$0")/.."
for t in build/host/fuzz/fuzz_*; do
  [ -x "$t" ] || continue
  name=$(basename "$t"); short=${name#fuzz_}
  mkdir -p "build/host/fuzz/work/$short"
  seeds=tests/fuzz/corpus/$short; [ -d "$seeds" ] || seeds=
  [ "$short" = cabinet ] && seeds="$seeds tests/data/cab"
  echo "== $name for ${secs}s"
  "$t" -max_total_time="$secs" -timeout=10 -rss_limit_mb=2048 "build/host/fuzz/work/$short" $seeds
done
