#!/usr/bin/env bash
# A short real session of the program on files made here and now:
# the help, a dump of the parsed command line, and a header rewrite.
set -euo pipefail
build=$(cd "${1:-build}" && pwd)
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
echo "demo: done"
