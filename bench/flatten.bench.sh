#!/usr/bin/env bash
# Flattening a long AAC movie: our toolbox side by side with `ffmpeg -c copy`
# and `cp` in one run (time and peak memory), then 5- and 10-hour inputs for
# memory growth and an output past 4 GiB for 64-bit offsets.
# Our output is fsync'd before it replaces the target; plain cp leaves its
# bytes in the page cache, so "cp + sync" (the copy made as durable) is shown
# beside it. Each 1-hour time is the fastest of three runs, each run started
# with nothing dirty in the page cache.
export LC_ALL=C  # a decimal point in $EPOCHREALTIME
set -euo pipefail
build=$1
flatten=$build/bench/bench_flatten
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

source "$(dirname "$0")/common.sh"
make_long_aac

# Seconds (to the millisecond) and peak kilobytes of the fastest of three runs
# of a command writing $1, which each run writes anew.
fastest() {
  local out=$1 best="" best_kb="" start t kb
  shift
  for _ in 1 2 3; do
    rm -f "$out"
    sync
    start=$EPOCHREALTIME
    /usr/bin/time -f "%M" -o "$work/rss" "$@" >/dev/null 2>&1
    t=$(awk -v a="$start" -v b="$EPOCHREALTIME" 'BEGIN { printf "%.3f", b - a }')
    kb=$(cat "$work/rss")
    if [ -z "$best" ] || awk -v a="$t" -v b="$best" 'BEGIN { exit !(a < b) }'; then best=$t best_kb=$kb; fi
  done
  echo "$best $best_kb"
}

read -r ours ours_kb < <(fastest "$work/ours.mov" "$flatten" "$work/1h.m4a" "$work/ours.mov")
read -r peer peer_kb < <(fastest "$work/peer.m4a" ffmpeg -v error -y -i "$work/1h.m4a" -c copy "$work/peer.m4a")
read -r copy copy_kb < <(fastest "$work/copy.m4a" cp "$work/1h.m4a" "$work/copy.m4a")
read -r durable _ < <(fastest "$work/synced.m4a" sh -c 'cp "$1" "$2" && sync "$2"' sh "$work/1h.m4a" "$work/synced.m4a")
ffprobe -v error -show_entries stream=codec_name -of csv=p=0 "$work/ours.mov" | grep -qx aac
echo "1 h AAC flatten: tolva ${ours}s (${ours_kb} KB peak), ffmpeg -c copy ${peer}s (${peer_kb} KB), cp ${copy}s, cp + sync ${durable}s"
echo "  ratio tolva/ffmpeg $(ratio "$ours" "$peer"), tolva/cp $(ratio "$ours" "$copy"), tolva/(cp + sync) $(ratio "$ours" "$durable")"
rm -f "$work"/ours.mov "$work"/peer.m4a "$work"/copy.m4a "$work"/synced.m4a

printf "file '%s'\n" $(for i in $(seq 5); do echo "$work/1h.m4a"; done) > "$work/list5.txt"
ffmpeg -v error -f concat -safe 0 -i "$work/list5.txt" -c copy "$work/5h.m4a"
sync
read -r five five_kb < <(measure "$flatten" "$work/5h.m4a" "$work/ours5.mov")
rm -f "$work"/ours5.mov "$work"/5h.m4a
sync
read -r long long_kb < <(measure "$flatten" "$work/10h.m4a" "$work/ours10.mov")
echo "5 h AAC flatten: tolva ${five}s; 10 h: tolva ${long}s"
echo "  peak RSS: 1 h ${ours_kb} KB, 5 h ${five_kb} KB (target under 100 MB), 10 h ${long_kb} KB (10 h / 1 h $(ratio "$long_kb" "$ours_kb"))"
rm -f "$work"/ours10.mov

# 80 joined copies of the hour lie past 4 GiB: 'co64', 64-bit 'mdat', version 1 headers
sync
read -r big big_kb < <(measure "$flatten" "$work/1h.m4a" "$work/big.mov" 80)
size=$(stat -c %s "$work/big.mov")
co64=$(ffprobe -v trace "$work/big.mov" 2>&1 | grep -c "type:'co64'" || true)
duration=$(ffprobe -v error -show_entries format=duration -of csv=p=0 "$work/big.mov")
tail=$(ffmpeg -v error -sseof -10 -i "$work/big.mov" -f null - 2>&1 | wc -l)
echo "80 h join past 4 GiB: ${size} bytes in ${big}s, peak ${big_kb} KB, co64 atoms: ${co64}, ffprobe duration ${duration}s, decoder errors in the last 10 s: ${tail}"
