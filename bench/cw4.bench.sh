#!/usr/bin/env bash
# cw4 of a 1-hour 44.1 kHz stereo WAV against ffmpeg with the same encoder and
# rate (-c:a aac -b:a 128k); target: at most 1.05 times ffmpeg's time.
set -euo pipefail
build=$1
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
source "$(dirname "$0")/common.sh"

ffmpeg -v error -f lavfi -i "sine=frequency=440:sample_rate=44100:duration=3600" \
  -f lavfi -i "anoisesrc=amplitude=0.05:sample_rate=44100:duration=3600" \
  -filter_complex "[0][1]amerge=inputs=2" -c:a pcm_s16le "$work/hour.wav"
mkdir "$work/home"

# Each side runs twice, alternately; the faster run of each counts.
best_ours=0 best_ffmpeg=0 mem_ours=0
for run in 1 2; do
  rm -f "$work/hour.mp4" "$work/ffmpeg.m4a"
  read -r t m < <(cd "$work" && HOME="$work/home" TOLVA_LOCK_DIR="$work/home" \
    measure "$build/tolva" -af "$work/hour.mp4" -cw4 "$work/hour.wav")
  [ -s "$work/hour.mp4" ] || { echo "cw4: no output" >&2; exit 1; }
  awk -v t="$t" -v b="$best_ours" 'BEGIN { exit !(b == 0 || t < b) }' && best_ours=$t && mem_ours=$m
  read -r t _ < <(measure ffmpeg -v error -i "$work/hour.wav" -c:a aac -b:a 128k "$work/ffmpeg.m4a")
  awk -v t="$t" -v b="$best_ffmpeg" 'BEGIN { exit !(b == 0 || t < b) }' && best_ffmpeg=$t
done

awk -v to="$best_ours" -v tf="$best_ffmpeg" -v mo="$mem_ours" \
  -v d="$(ffprobe -v error -show_entries format=duration -of csv=p=0 "$work/hour.mp4")" 'BEGIN {
  printf "cw4 1 h 44.1 kHz stereo WAV (output %.3f s)\n", d
  printf "  tolva -cw4  %7.2f s  (tolva peak %.1f MB)\n", to, mo / 1024
  printf "  ffmpeg aac  %7.2f s\n", tf
  printf "  ratio tolva/ffmpeg: %.3f (target <= 1.05)\n", to / (tf > 0 ? tf : 0.01)
}'
