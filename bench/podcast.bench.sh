#!/usr/bin/env bash
# A whole enhanced podcast: one hour of AAC, 120 titled slides from 4000x3000
# JPEGs (a new one every 30 s), 60 chapters and 60 links, built with -q4.
# Prints the build's time and peak memory, then where the time goes: the same
# project without slides and links (sound, chapters, tags and the flatten),
# and the difference, which is the slides' and the links' share.
set -euo pipefail
build=$(cd "$1" && pwd)
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
export HOME="$work/home" XDG_CONFIG_HOME="$work/home/.config" XDG_DATA_HOME="$work/home/.local/share"
export TOLVA_LOCK_DIR="$work"
mkdir -p "$HOME"
cd "$work"

ffmpeg -v error -f lavfi -i "sine=frequency=440:duration=3600" -ac 2 -c:a aac -b:a 128k show.m4a
for pattern in testsrc2 mandelbrot rgbtestsrc smptehdbars; do
  ffmpeg -v error -f lavfi -i "$pattern=size=4000x3000" -frames:v 1 -q:v 3 "$pattern.jpg"
done
patterns=(testsrc2 mandelbrot rgbtestsrc smptehdbars)

# The project: sections every 30 s, each with a slide and a title; every
# other one also starts a chapter with its link.
write_project() {
  local name=$1 addimages=$2 i
  {
    printf '[podcast]\nbasename=%s\naudiofile=show.m4a\nimgwidth=960\nimgheight=720\naddimages=%s\n' \
      "$name" "$addimages"
    for ((i = 1; i <= 120; i++)); do
      printf '\n[editpoint_%d]\nstart=0:%d:%d.0\nimage=%s.jpg\ntitle=Slide %d of the show\n' \
        "$i" "$(((i - 1) / 2))" "$(((i - 1) % 2 * 30))" "${patterns[i % 4]}" "$i"
      if ((i % 2 == 1)); then
        printf 'chapter=Chapter %d\nhref=https://example.com/show/%d\nhreftext=Notes for chapter %d\n' \
          "$(((i + 1) / 2))" "$i" "$(((i + 1) / 2))"
      fi
    done
  } > "$name.pod"
}
write_project full true
write_project bare false

# "wall user system peak-KB" of one build.
timed() {
  /usr/bin/time -f "%e %U %S %M" -o "$work/time" "$build/tolva" -q4 "$1.pod" >/dev/null 2>"$work/stderr" ||
    { cat "$work/stderr" >&2; exit 1; }
  cat "$work/time"
}
read -r wall user sys kb < <(timed full)
read -r bwall buser bsys bkb < <(timed bare)
[ "$(ffprobe -v error -select_streams v -show_entries stream=nb_frames -of csv=p=0 full.m4a)" = 120 ] ||
  { echo "podcast: the slide track does not hold 120 slides" >&2; exit 1; }
[ "$(ffprobe -v error -show_entries chapter=id -of csv=p=0 full.m4a | wc -l)" = 60 ] ||
  { echo "podcast: not 60 chapters" >&2; exit 1; }

echo "podcast: 1 h AAC, 120 titled 960x720 slides from 4000x3000 JPEGs, 60 chapters, 60 links, -q4"
echo "  on $(nproc) cores, load average $(cut -d' ' -f1-3 /proc/loadavg) at the end (the machine may be shared)"
awk -v w="$wall" -v u="$user" -v s="$sys" -v kb="$kb" -v bw="$bwall" -v bu="$buser" -v bs="$bsys" -v bkb="$bkb" 'BEGIN {
  printf "  whole build            %6.2f s wall, %6.2f s CPU, peak %.1f MB\n", w, u + s, kb / 1024
  printf "  sound, chapters, flatten %4.2f s wall, %6.2f s CPU, peak %.1f MB\n", bw, bu + bs, bkb / 1024
  printf "  slides and links       %6.2f s wall, %6.2f s CPU (%.1f ms CPU a slide)\n", w - bw, u + s - bu - bs,
    (u + s - bu - bs) * 1000 / 120
}'
