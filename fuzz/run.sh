#!/bin/sh
# Runs one fuzz target over its seeds for TOLVA_FUZZ_SECONDS (default 10):
# every seed, crash regressions included, is replayed first. The targets' own
# messages are dropped (-close_fd_mask); libFuzzer keeps its reports.
set -e
target=$1 work=$2 seeds=$3
mkdir -p "$work"
exec "$target" -max_total_time="${TOLVA_FUZZ_SECONDS:-10}" -rss_limit_mb=2048 -timeout=10 -close_fd_mask=3 \
  -artifact_prefix="$work/" "$work" "$seeds"
