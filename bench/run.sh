#!/usr/bin/env bash
# Runs every benchmark script bench/*.bench.sh with the build folder; each one
# prints its own timings side by side with its peer and the ratio.
set -euo pipefail
build=${1:-build}
here=$(cd "$(dirname "$0")" && pwd)
shopt -s nullglob
benches=("$here"/*.bench.sh)
[ ${#benches[@]} -gt 0 ] || { echo "no benchmarks yet"; exit 0; }
for b in "${benches[@]}"; do
  echo "== $(basename "$b" .bench.sh)"
  bash "$b" "$(cd "$build" && pwd)"
done
