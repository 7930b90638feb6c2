#!/usr/bin/env bash
# 200 titled 1080x720 slides from 4000x3000 JPEGs at the project's default
# oversampling (4), beside vipsthumbnail (one process for every picture) and
# ImageMagick's convert -resize (one process a picture) making the same
# pictures 1080x720 at most, untitled. Wall and CPU time per slide, and the
# ratios to ours on two threads.
set -euo pipefail
build=$1
count=${SLIDES_BENCH_COUNT:-200}
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
mkdir -p "$work/in" "$work/ours1" "$work/ours2" "$work/vips" "$work/magick"

for pattern in testsrc2 mandelbrot rgbtestsrc smptehdbars; do
  ffmpeg -v error -f lavfi -i "$pattern=size=4000x3000" -frames:v 1 -q:v 3 "$work/in/$pattern.jpg"
done
sources=("$work"/in/*.jpg)
for ((i = 0; i < count; i++)); do
  cp "${sources[i % ${#sources[@]}]}" "$work/in/photo$i.jpg"
done
rm "${sources[@]}"
pictures=("$work"/in/photo*.jpg)

# "wall user system" seconds of one command.
timed() {
  /usr/bin/time -f "%e %U %S" -o "$work/time" "$@" >/dev/null 2>"$work/stderr" || { cat "$work/stderr" >&2; exit 1; }
  cat "$work/time"
}

t_ours2=$(timed "$build/bench/bench_slides" "$work/ours2" 2 "${pictures[@]}")
t_ours1=$(timed "$build/bench/bench_slides" "$work/ours1" 1 "${pictures[@]}")
t_vips=$(timed vipsthumbnail --size 1080x720 -o "$work/vips/%s.jpg" "${pictures[@]}")
t_magick=$(timed bash -c 'for p in "${@:2}"; do /usr/bin/convert "$p" -resize 1080x720 "$1/${p##*/}"; done' _ \
  "$work/magick" "${pictures[@]}")
for d in ours1 ours2 vips magick; do
  made=$(find "$work/$d" -name '*.jpg' | wc -l)
  [ "$made" -eq "$count" ] || { echo "slides: $d made $made of $count" >&2; exit 1; }
done
echo "slides: $count titled 1080x720 slides from 4000x3000 JPEGs, intscalefactor 4 (peers untitled)"
echo "  on $(nproc) cores, load average $(cut -d' ' -f1-3 /proc/loadavg) at the end (the machine may be shared)"
awk -v n="$count" -v o2="$t_ours2" -v o1="$t_ours1" -v v="$t_vips" -v m="$t_magick" 'BEGIN {
  split(o2, a); split(o1, b); split(v, c); split(m, d)
  printf "  %-26s %9s %9s\n", "", "wall ms", "CPU ms"
  printf "  %-26s %9.1f %9.1f\n", "tolva, 2 threads", a[1] * 1000 / n, (a[2] + a[3]) * 1000 / n
  printf "  %-26s %9.1f %9.1f\n", "tolva, 1 thread", b[1] * 1000 / n, (b[2] + b[3]) * 1000 / n
  printf "  %-26s %9.1f %9.1f\n", "vipsthumbnail", c[1] * 1000 / n, (c[2] + c[3]) * 1000 / n
  printf "  %-26s %9.1f %9.1f\n", "convert -resize", d[1] * 1000 / n, (d[2] + d[3]) * 1000 / n
  printf "  vipsthumbnail / tolva (2 threads): %.2f wall, %.2f CPU\n", c[1] / a[1], (c[2] + c[3]) / (a[2] + a[3])
  printf "  convert / tolva (2 threads):       %.2f wall, %.2f CPU\n", d[1] / a[1], (d[2] + d[3]) / (a[2] + a[3])
  printf "  target: at most 50 ms a titled slide (wall, 2 threads): %s\n", a[1] * 1000 / n <= 50 ? "met" : "missed"
}'
