#!/usr/bin/env bash
# A short real session of the program on files made here and now: the help,
# a dump of the parsed command line, a header rewrite, then the example
# project built into a podcast (.m4a) and a three-file audio book (.m4b).
set -euo pipefail
build=$(cd "${1:-build}" && pwd)
examples=$(cd "$(dirname "$0")" && pwd)
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
cd "$work"
export HOME="$work/home" XDG_CONFIG_HOME="$work/home/.config" XDG_DATA_HOME="$work/home/.local/share"
export TOLVA_LOCK_DIR="$work"

# Runs tolva and insists on the exit status it should end with.
expect() {
  local want=$1 got=0
  shift
  echo "\$ tolva $*"
  "$build/tolva" "$@" || got=$?
  echo
  if [ "$got" -ne "$want" ]; then
    echo "demo: tolva $* ended with status $got, expected $want" >&2
    exit 1
  fi
}

brand() { ffprobe -v error -show_entries format_tags=major_brand -of csv=p=0 "$1"; }

expect 3 -help

ffmpeg -v error -f lavfi -i sine=frequency=440:duration=2 -c:a aac -f mp4 tone.m4a
ffmpeg -v error -f lavfi -i sine=frequency=660:duration=2 -c:a aac -f mp4 "tone two.m4a"
expect 0 -dump -iz 640 480 -dp "$work/out" "tone*.m4a" -install
test -d "$work/out"

echo "major brand before: $(brand tone.m4a)"
expect 0 -w4a tone.m4a -install
after=$(brand tone.m4a)
echo "major brand after:  $after"
[ "$after" = "M4A " ] || { echo "demo: the header was not rewritten" >&2; exit 1; }
ffprobe -v error -show_entries format=duration -of csv=p=0 tone.m4a

# The example project: three spoken parts (espeak-ng, encoded by our own
# encoder), three slide pictures and a cover, made now; the movies go where
# they stay for a look.
out="$build/demo"
mkdir -p "$out" project
cp "$examples/show.pod" "$examples/book.pod" project/
cd project
sentences=("Welcome to the Tolva demo. This is the first part."
           "The second part comes six seconds in, after a little silence."
           "And this is the third and last part. Goodbye.")
for i in 1 2 3; do
  espeak-ng -s 190 -w "part$i.wav" "${sentences[$((i - 1))]}"
  "$build/neroAacEnc" -if "part$i.wav" -of "part$i.m4a"
done
ffmpeg -v error -f lavfi -i mandelbrot=size=600x600 -frames:v 1 cover.jpg
slides=(testsrc2 smptehdbars "mandelbrot=start_scale=1.5")
for i in 1 2 3; do
  ffmpeg -v error -f lavfi -i "${slides[$((i - 1))]}:size=1600x1200" -frames:v 1 "slide$i.jpg" 2>/dev/null ||
    ffmpeg -v error -f lavfi -i "${slides[$((i - 1))]}" -vf scale=1600:1200 -frames:v 1 "slide$i.jpg"
done

expect 0 -q4 show.pod -dp "$out"
expect 0 -qb book.pod -dp "$out"

show() {
  echo "== $1"
  ffprobe -v error -show_entries format=duration:format_tags=major_brand,title,artist:stream=codec_name,sample_rate \
    -of default=noprint_wrappers=1 "$1"
  ffprobe -v error -show_entries chapter=start_time:chapter_tags=title -of csv=p=0 "$1" | sed 's/^/  chapter at /'
  [ "$(ffprobe -v error -show_entries format_tags=major_brand -of csv=p=0 "$1")" = "M4A " ] ||
    { echo "demo: $1 does not say it is an M4A" >&2; exit 1; }
  [ "$(ffprobe -v error -show_entries chapter=start_time -of csv=p=0 "$1" | wc -l)" = 3 ] ||
    { echo "demo: $1 does not hold three chapters" >&2; exit 1; }
}
show "$out/tolva-demo.m4a"
echo "  slides: $(ffprobe -v error -select_streams v:0 -show_entries stream=codec_name,width,height,nb_frames \
  -of csv=p=0 "$out/tolva-demo.m4a")"
echo "  links:  $(ffprobe -v error -select_streams s:0 -show_entries stream=codec_name -of csv=p=0 \
  "$out/tolva-demo.m4a")"
[ "$(ffprobe -v error -select_streams v:0 -show_entries stream=nb_frames -of csv=p=0 "$out/tolva-demo.m4a")" = 3 ] ||
  { echo "demo: the podcast does not hold three slides" >&2; exit 1; }
[ "$(ffprobe -v error -select_streams s:0 -show_entries stream=codec_name -of csv=p=0 "$out/tolva-demo.m4a")" = \
  mov_text ] || { echo "demo: the podcast holds no link track" >&2; exit 1; }
echo "  chapter files: $(cd "$out" && echo tolva-demo.chapters.* tolva-demo-[0-9]*.jpg)"
[ "$(grep -c '"startTime"' "$out/tolva-demo.chapters.json")" = 3 ] && [ -f "$out/tolva-demo-03.jpg" ] ||
  { echo "demo: the podcast's chapter files are not all there" >&2; exit 1; }
show "$out/tolva-demo-book.m4b"
# The chapter check reads both movies at atom level: nothing in them trips a player.
checked=$("$build/tolva" "$out/tolva-demo.m4a" "$out/tolva-demo-book.m4b" -fc)
sed -n '/^tolva-demo/,$p' <<<"$checked"
[ "$(grep -c '^  no warnings$' <<<"$checked")" = 2 ] ||
  { echo "demo: the chapter check warns of the demo movies" >&2; exit 1; }
echo "demo: the podcast is $out/tolva-demo.m4a, the audio book $out/tolva-demo-book.m4b"
echo "demo: done"
