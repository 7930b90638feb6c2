#!/usr/bin/env bash
# 200 titled 1080x720 slides from 4000x3000 JPEGs, against ImageMagick fitting
# the same files onto a 1080x720 frame; both use the two cores.
set -euo pipefail
build=$1
count=${SLIDES_BENCH_COUNT:-200}
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
mkdir -p "$work/in" "$work/ours" "$work/magick"

for pattern in testsrc2 mandelbrot rgbtestsrc smptehdbars; do
  ffmpeg -v error -f lavfi -i "$pattern=size=4000x3000" -frames:v 1 -q:v 3 "$work/in/$pattern.jpg"
done
sources=("$work"/in/*.jpg)
for ((i = 0; i < count; i++)); do
  cp "${sources[i % ${#sources[@]}]}" "$work/in/photo$i.jpg"
done
rm "${sources[@]}"

seconds() {
  local start end
  start=$(date +%s.%N)
  "$@"
  end=$(date +%s.%N)
  awk -v a="$start" -v b="$end" 'BEGIN { print b - a }'
}

ours() { find "$work/in" -name '*.jpg' -print0 | xargs -0 -P2 -n $(((count + 1) / 2)) "$build/bench/bench_slides" "$work/ours"; }
magick() {
  find "$work/in" -name '*.jpg' -print0 |
    xargs -0 -P2 -I{} sh -c '/usr/bin/convert "$1" -resize 1080x720 -gravity center -extent 1080x720 "$2/$(basename "$1")"' _ {} "$work/magick"
}

t_ours=$(seconds ours)
t_magick=$(seconds magick)
made=$(find "$work/ours" -name 'iw_temp*.jpg' | wc -l)
[ "$made" -eq "$count" ] || { echo "slides: made $made of $count" >&2; exit 1; }
awk -v n="$count" -v ours="$t_ours" -v magick="$t_magick" 'BEGIN {
  printf "slides: %d titled 1080x720 slides from 4000x3000 JPEGs\n", n
  printf "  tolva        %7.2f s  (%.1f ms a slide)\n", ours, ours * 1000 / n
  printf "  imagemagick  %7.2f s  (%.1f ms a slide)\n", magick, magick * 1000 / n
  printf "  ratio tolva/imagemagick: %.2f\n", ours / magick
}'
