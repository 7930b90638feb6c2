#!/usr/bin/env bash
# cw4 of a 1-hour 44.1 kHz stereo WAV against ffmpeg with the same encoder and
# rate (-c:a aac -b:a 128k); target: at most 1.05 times ffmpeg's time. The
# processor time is printed too: on a shared machine it is the steadier measure.
set -euo pipefail
build=$1
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

# Seconds elapsed, processor seconds (user + system, children included) and peak kilobytes.
measure() {
  /usr/bin/time -f "%e %U %S %M" -o "$work/time" "$@" >/dev/null 2>&1
  awk '{ printf "%s %.2f %s\n", $1, $2 + $3, $4 }' "$work/time"
}

ffmpeg -v error -f lavfi -i "sine=frequency=440:sample_rate=44100:duration=3600" \
  -f lavfi -i "anoisesrc=amplitude=0.05:sample_rate=44100:duration=3600" \
  -filter_complex "[0][1]amerge=inputs=2" -c:a pcm_s16le "$work/hour.wav"
mkdir "$work/home"

read -r t_ours c_ours m_ours < <(cd "$work" && HOME="$work/home" TOLVA_LOCK_DIR="$work/home" \
  measure "$build/tolva" -af "$work/hour.mp4" -cw4 "$work/hour.wav")
[ -s "$work/hour.mp4" ] || { echo "cw4: no output" >&2; exit 1; }
read -r t_ff c_ff _ < <(measure ffmpeg -v error -i "$work/hour.wav" -c:a aac -b:a 128k "$work/ffmpeg.m4a")

awk -v to="$t_ours" -v co="$c_ours" -v mo="$m_ours" -v tf="$t_ff" -v cf="$c_ff" \
  -v d="$(ffprobe -v error -show_entries format=duration -of csv=p=0 "$work/hour.mp4")" 'BEGIN {
  printf "cw4 1 h 44.1 kHz stereo WAV (output %.3f s)\n", d
  printf "  tolva -cw4  %7.2f s  cpu %7.2f s  peak %.1f MB\n", to, co, mo / 1024
  printf "  ffmpeg aac  %7.2f s  cpu %7.2f s\n", tf, cf
  printf "  ratio tolva/ffmpeg: %.3f elapsed, %.3f cpu (target <= 1.05)\n", to / (tf > 0 ? tf : 0.01), co / (cf > 0 ? cf : 0.01)
}'
