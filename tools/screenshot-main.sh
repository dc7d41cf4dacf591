#!/usr/bin/env bash
# Starts Lumetra2 under Xvfb against the simulated driver and saves the screen:
#  - with the start-up hint (main-window-hint.png), then after answering it (main-window.png);
#  - then, for each language (ch, en) with the page effects on ("advanced"), the circle gauge in each of its
#    three modes: main-window-<language>-temperature.png, -memory.png and -clock.png, picked by clicking
#    the gauge's ring segments.
# All into screenshots/ (git-ignored). LUMETRA_SIM_CARDS picks other cards; LUMETRA_BUILD_DIR another
# build folder (default build/). The adjustment overlay, which the overclocking page drives, is saved by
# tools/screenshots/make-screenshots.sh (gauge_<language>_overlay_*.png).
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

# The gauge of the 476 px circle area at home (162, 72): its ring segments lie 118 px from its centre, at
# (399, 309) in the window; the clock segment is upper left, the temperature one right, the memory one below.
for language in ch en; do
    cat > "$work/config.xml" <<XML
<KorvoParameter>
    <GeneralSetting StartOnBoot="0" MinimizeOnStart="0" ApplyLastParamOnStart="1" Language="lang_$language" RefreshTimeOfMonitor="1" PageEffects="advanced"/>
    <OtherSetting NotPromptHPS="1"/>
</KorvoParameter>
XML
    xvfb-run -a -s "-screen 0 1024x640x24" bash -c '
        cd "$1" && "$1/Lumetra2" & pid=$!
        for _ in $(seq 50); do
            xdotool search --onlyvisible --name LumetraII >/dev/null 2>&1 && break
            sleep 0.2
        done
        sleep 2.5
        window=$(xdotool search --onlyvisible --name LumetraII | head -1)
        eval "$(xdotool getwindowgeometry --shell "$window")"
        status=0
        for mode in "temperature 501 250" "memory 399 427" "clock 297 250"; do
            set -- "$1" "$2" "$3" "$4" $mode
            xdotool mousemove $((X + $6)) $((Y + $7)) click 1
            xdotool mousemove $((X + 20)) $((Y + 480))
            sleep 1.2
            "$2/bin/lumetra-screengrab" "$3/main-window-$4-$5.png" || status=1
        done
        kill "$pid"; wait "$pid" 2>/dev/null
        exit $status
    ' grab "$work" "$build" "$out" "$language"
done
echo "screenshots written to $out"
