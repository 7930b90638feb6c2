#!/usr/bin/env bash
# -qb of 15-minute AAC parts into books of 1, 10 and 60 hours, side by side
# with ffmpeg's concat (-c copy, +faststart) and with cat of the parts then
# sync; target: within 1.5 times cat + sync, at most 0.2 times ffmpeg's time,
# peak memory under 32 MiB and flat in the book's length.
set -euo pipefail
build=$1
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
source "$(dirname "$0")/common.sh"
hours=${TOLVA_BOOK_HOURS:-1 10 60}
peaks=""

ffmpeg -v error -f lavfi -i "sine=frequency=440:sample_rate=44100:duration=900" -c:a aac -b:a 64k "$work/part.m4a"
mkdir "$work/home"

for h in $hours; do
  parts=$((4 * h))
  {
    printf '[podcast]\nbasename=book\naudiobook=true\naddimages=false\n'
    for i in $(seq "$parts"); do printf '[editpoint_%d]\naudiofile=part.m4a\nchapter=Part %d\n' "$i" "$i"; done
  } > "$work/book.pod"
  for i in $(seq "$parts"); do echo "file '$work/part.m4a'"; done > "$work/list.txt"
  rm -f "$work/book.m4b" "$work/ffmpeg.m4b" "$work/cat.m4a"
  read -r to mo < <(cd "$work" && HOME="$work/home" TOLVA_LOCK_DIR="$work/home" measure "$build/tolva" -qb book.pod)
  [ -s "$work/book.m4b" ] || { echo "book: no output" >&2; exit 1; }
  read -r tf mf < <(measure ffmpeg -v error -f concat -safe 0 -i "$work/list.txt" -c copy -movflags +faststart \
    "$work/ffmpeg.m4b")
  read -r tc _ < <(measure bash -c "for i in \$(seq $parts); do cat '$work/part.m4a'; done > '$work/cat.m4a'; sync")
  rm -f "$work/book.m4b" "$work/ffmpeg.m4b" "$work/cat.m4a"
  peaks="$peaks $mo"
  awk -v h="$h" -v to="$to" -v tf="$tf" -v tc="$tc" -v mo="$mo" -v mf="$mf" 'BEGIN {
    printf "-qb of %d h (%d parts of 15 min)\n", h, 4 * h
    printf "  tolva -qb      %7.2f s  (peak %.1f MB)\n", to, mo / 1024
    printf "  ffmpeg concat  %7.2f s  (peak %.1f MB)\n", tf, mf / 1024
    printf "  cat + sync     %7.2f s\n", tc
    printf "  ratio tolva/ffmpeg: %.3f (target <= 0.2), tolva/cat: %.2f (target <= 1.5)\n",
      to / (tf > 0 ? tf : 0.01), to / (tc > 0 ? tc : 0.01)
  }'
done
# flat: the longest book may take at most 2 MiB more than the shortest
awk -v peaks="$peaks" 'BEGIN {
  n = split(peaks, p, " "); lo = p[1]; hi = p[1]
  for (i = 2; i <= n; ++i) { if (p[i] < lo) lo = p[i]; if (p[i] > hi) hi = p[i] }
  printf "tolva -qb peak memory: %.1f to %.1f MB over the lengths (target: under 32 MiB, flat within 2 MiB): %s\n",
    lo / 1024, hi / 1024, (hi < 32 * 1024 && hi - lo <= 2048 ? "met" : "missed")
}'
