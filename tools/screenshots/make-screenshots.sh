#!/usr/bin/env bash
# Builds the screenshot program and runs it under Xvfb; the PNGs land in screenshots/ (git-ignored).
# Usage: tools/screenshots/make-screenshots.sh [output folder]
set -euo pipefail
here="$(cd "$(dirname "$0")" && pwd)"
root="$(cd "$here/../.." && pwd)"
out="${1:-$root/screenshots}"
build="$root/build-screenshots"
cmake -S "$here" -B "$build" -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build "$build" --target lumetra_screenshots -j2 >/dev/null
mkdir -p "$out"
xvfb-run -a -s "-screen 0 1280x1024x24" "$build/lumetra_screenshots" "$out"
echo "screenshots written to $out"
