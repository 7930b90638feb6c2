#!/usr/bin/env bash
# A short real session of the program on generated files.
set -euo pipefail
build=$(cd "${1:-build}" && pwd)
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
cd "$work"
"$build/tolva" -h || true
