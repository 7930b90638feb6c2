#!/usr/bin/env bash
# Installs every Debian package the build, the tests and the demo need.
# Idempotent: a second run finds everything present and does nothing.
set -euo pipefail

packages=(
  build-essential cmake make pkg-config git
  clang libclang-rt-14-dev libfuzzer-14-dev
  googletest libgtest-dev libgmock-dev
  libfreeimage-dev libjpeg62-turbo-dev libpango1.0-dev libcairo2-dev libglib2.0-dev
  fonts-liberation2 fonts-dejavu-core fontconfig
  libavcodec-dev libavformat-dev libavutil-dev libswresample-dev
  ffmpeg sox libsox-fmt-all espeak-ng mediainfo atomicparsley
  gstreamer1.0-tools gstreamer1.0-plugins-base gstreamer1.0-plugins-base-apps gstreamer1.0-plugins-good
  gstreamer1.0-plugins-bad gstreamer1.0-libav
  python3 python3-mutagen python3-vlc libvlc5 vlc-plugin-base imagemagick libvips-tools time xdg-user-dirs
)

missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
done
[ ${#missing[@]} -eq 0 ] && exit 0

if [ "$(id -u)" -ne 0 ]; then
  echo "install-deps: missing packages: ${missing[*]} (run as root to install them)" >&2
  exit 1
fi
export DEBIAN_FRONTEND=noninteractive
apt-get update -q
apt-get install -y -q --no-install-recommends "${missing[@]}"
