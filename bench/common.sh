# Shared by the benchmark scripts: source it after setting $work.

# Seconds and peak kilobytes of one command, its output dropped.
measure() {
  /usr/bin/time -f "%e %M" -o "$work/time" "$@" >/dev/null 2>&1
  cat "$work/time"
}

ratio() { awk -v a="$1" -v b="$2" 'BEGIN { printf "%.2f", (b > 0 ? a / b : 0) }'; }

# $work/1h.m4a (AAC, encoded) and $work/10h.m4a (the hour joined ten times).
make_long_aac() {
  ffmpeg -v error -f lavfi -i "sine=frequency=440:duration=3600" -c:a aac -b:a 128k "$work/1h.m4a"
  printf "file '%s'\n" $(for i in $(seq 10); do echo "$work/1h.m4a"; done) > "$work/list.txt"
  ffmpeg -v error -f concat -safe 0 -i "$work/list.txt" -c copy "$work/10h.m4a"
}
