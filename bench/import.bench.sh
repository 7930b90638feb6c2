#!/usr/bin/env bash
# Scans 1-hour and 10-hour MP3 and ADTS AAC files frame by frame, against
# ffprobe listing the same packets; peak memory should not grow with length.
set -euo pipefail
build=$1
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

# Ten minutes encoded once, then repeated: frames of both formats stand alone.
ffmpeg -v error -f lavfi -i "sine=frequency=440:duration=600" -ac 1 -c:a libmp3lame -b:a 64k \
  -write_xing 0 -id3v2_version 0 "$work/ten.mp3"
ffmpeg -v error -f lavfi -i "sine=frequency=440:duration=600" -ac 1 -c:a aac -b:a 64k -f adts "$work/ten.aac"
for ext in mp3 aac; do
  for ((i = 0; i < 6; i++)); do cat "$work/ten.$ext"; done >"$work/hour.$ext"
  for ((i = 0; i < 10; i++)); do cat "$work/hour.$ext"; done >"$work/tenhours.$ext"
done

# Seconds and peak resident kilobytes of one command, its output checked by the caller.
measure() {
  /usr/bin/time -f "%e %M" -o "$work/time" "$@" >"$work/out"
  cat "$work/time"
}

for ext in mp3 aac; do
  for length in hour tenhours; do
    file="$work/$length.$ext"
    read -r t_ours m_ours < <(measure "$build/bench/bench_import" "$file")
    frames=$(cat "$work/out")
    read -r t_probe m_probe < <(measure ffprobe -v error -select_streams 0 -show_entries packet=size,pos -of csv=p=0 "$file")
    packets=$(grep -c . "$work/out")
    [ "$frames" -eq "$packets" ] || { echo "import: $frames frames, ffprobe $packets packets in $length.$ext" >&2; exit 1; }
    awk -v name="$length.$ext" -v mb="$(du -m "$file" | cut -f1)" -v n="$frames" -v to="$t_ours" -v mo="$m_ours" \
      -v tp="$t_probe" -v mp="$m_probe" 'BEGIN {
      printf "import %s (%d MB, %d frames)\n", name, mb, n
      printf "  tolva    %7.2f s  peak %7.1f MB\n", to, mo / 1024
      printf "  ffprobe  %7.2f s  peak %7.1f MB\n", tp, mp / 1024
      printf "  ratio tolva/ffprobe: %.3f\n", to / (tp > 0 ? tp : 0.01)
    }'
  done
done
