#!/usr/bin/env bash
# Builds the screenshot program and runs it under Xvfb; the PNGs land in screenshots/ (git-ignored).
# Usage: tools/screenshots/make-screenshots.sh [output folder]
set -euo pipefail
here="$(cd "$(dirname "$0")" && pwd)"
root="$(cd "$here/../.." && pwd)"
out="${1:-$root/screenshots}"
build="$root/build-screenshots"
# Inside the project build once tools/ includes this folder; until then on its own with app/ and resources/.
if grep -qs 'screenshots' "$root/tools/CMakeLists.txt"; then
    cmake -S "$root" -B "$build" -DLUMETRA_BUILD_TESTS=OFF >/dev/null
    program="$build/bin/lumetra_screenshots"
else
    cmake -S "$here" -B "$build" >/dev/null
    program="$build/lumetra_screenshots"
fi
cmake --build "$build" --target lumetra_screenshots -j2 >/dev/null
# The tuning views read the simulated card when the project build has it.
if cmake --build "$build" --target nvapi-sim -j2 >/dev/null 2>&1; then
    export LUMETRA_NVAPI_LIBRARY="$build/bin/libnvapi-sim.so"
fi
mkdir -p "$out"
xvfb-run -a -s "-screen 0 1280x1024x24" "$program" "$out"
echo "screenshots written to $out"
