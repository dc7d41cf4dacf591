#!/usr/bin/env bash
# Starts Lumetra2 under Xvfb against the simulated driver and saves the screen twice:
# with the start-up hint (main-window-hint.png), then after answering it (main-window.png),
# both into screenshots/ (git-ignored). LUMETRA_SIM_CARDS picks other cards;
# LUMETRA_BUILD_DIR another build folder (default build/).
# Usage: tools/screenshot-main.sh [output folder]
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
build="$(cd "$root/${LUMETRA_BUILD_DIR:-build}" && pwd)"
out="${1:-$root/screenshots}"
mkdir -p "$out"
cmake --build "$build" --target Lumetra2 nvapi-sim lumetra-screengrab -j2 >/dev/null

# The program writes config.xml next to itself: run a copy in a scratch folder.
work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT
cp "$build/bin/Lumetra2" "$work/"
export LUMETRA_NVAPI_LIBRARY="$build/bin/libnvapi-sim.so"
export XDG_CONFIG_DIRS="$work/xdg"
export TMPDIR="$work"

xvfb-run -a -s "-screen 0 1024x640x24" bash -c '
    "$1/Lumetra2" & pid=$!
    for _ in $(seq 50); do
        xdotool search --onlyvisible --name LumetraII >/dev/null 2>&1 && break
        sleep 0.2
    done
    sleep 1.5
    "$2/bin/lumetra-screengrab" "$3/main-window-hint.png" || exit 1
    # The buttons of the hint box take no focus: click its only button, centred 25 px above its bottom.
    for w in $(xdotool search --onlyvisible --pid "$pid" 2>/dev/null); do
        [ "$(xdotool getwindowname "$w")" = LumetraII ] && continue
        eval "$(xdotool getwindowgeometry --shell "$w")"
        xdotool mousemove $((X + WIDTH / 2)) $((Y + HEIGHT - 25)) click 1
    done
    sleep 0.8
    "$2/bin/lumetra-screengrab" "$3/main-window.png"
    status=$?
    kill "$pid"; wait "$pid" 2>/dev/null
    exit $status
' grab "$work" "$build" "$out"
echo "screenshots written to $out"
