#!/usr/bin/env bash
# Redraws resources/images/*.png and resources/lumetra.qrc. Needs no display.
set -euo pipefail
here="$(cd "$(dirname "$0")" && pwd)"
root="$(cd "$here/../.." && pwd)"
build="$root/build-artwork"
cmake -S "$here" -B "$build" -DCMAKE_BUILD_TYPE=Release >/dev/null
cmake --build "$build" -j2 >/dev/null
QT_QPA_PLATFORM=offscreen "$build/lumetra_artwork" "$root/resources"
