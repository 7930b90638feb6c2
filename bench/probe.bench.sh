#!/usr/bin/env bash
# The probe commands on long and many files: `tolva in.m4a -t2` (copy the
# sound into a new movie and flatten it) beside `ffmpeg -c copy` and `cp`,
# peak memory at 1 h and 10 h, and `-fi` over 1000 files beside ffprobe.
set -euo pipefail
tolva=$1/tolva
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
export HOME="$work/home" XDG_CONFIG_HOME="$work/home/.config" XDG_DATA_HOME="$work/home/.local/share"
export TOLVA_LOCK_DIR="$work"
mkdir -p "$work/1h" "$work/10h" "$work/many" "$HOME"

source "$(dirname "$0")/common.sh"
make_long_aac

sync
cd "$work/1h"
read -r ours ours_kb < <(measure "$tolva" ../1h.m4a -t2)
read -r peer peer_kb < <(measure ffmpeg -v error -y -i ../1h.m4a -c copy peer.m4a)
read -r copy _ < <(measure cp ../1h.m4a copy.m4a)
[ "$(ffprobe -v error -show_entries stream=duration_ts -of csv=p=0 test.mov)" = \
  "$(ffprobe -v error -show_entries stream=duration_ts -of csv=p=0 ../1h.m4a)" ]
echo "1 h AAC -t2: tolva ${ours}s (${ours_kb} KB peak), ffmpeg -c copy ${peer}s (${peer_kb} KB), cp ${copy}s"
echo "  ratio tolva/ffmpeg $(ratio "$ours" "$peer"), tolva/cp $(ratio "$ours" "$copy")"
rm -f test.mov peer.m4a copy.m4a

cd "$work/10h"
read -r long long_kb < <(measure "$tolva" ../10h.m4a -t2)
echo "10 h AAC -t2: tolva ${long}s, peak ${long_kb} KB (1 h: ${ours_kb} KB)"
rm -f test.mov

cd "$work/many"
ffmpeg -v error -f lavfi -i "sine=duration=5" -c:a aac -b:a 64k one.m4a
for i in $(seq 1000); do ln one.m4a "ep$i.m4a"; done
rm one.m4a
start=$(date +%s.%N)
"$tolva" "*.m4a" -fi >/dev/null
fi_seconds=$(awk -v s="$start" -v e="$(date +%s.%N)" 'BEGIN { printf "%.2f", e - s }')
start=$(date +%s.%N)
for f in ep*.m4a; do ffprobe -v error -show_entries stream=sample_rate,duration -of csv=p=0 "$f"; done >/dev/null
probe_seconds=$(awk -v s="$start" -v e="$(date +%s.%N)" 'BEGIN { printf "%.2f", e - s }')
echo "-fi over 1000 files: tolva ${fi_seconds}s ($(ratio "$fi_seconds" 10)s per hundred), ffprobe one by one ${probe_seconds}s"
echo "  ratio tolva/ffprobe $(ratio "$fi_seconds" "$probe_seconds")"
