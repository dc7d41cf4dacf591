#!/usr/bin/env bash
# Starts Lumetra2 under Xvfb against the simulated driver and saves screenshots into screenshots/
# (git-ignored):
#   main-window-hint.png      the window with the start-up hint
#   main-window.png           after answering it
#   message-box.png           the close button's "Exit program?" box over the window
#   card-list-three-cards.png the open card list with the three cards of simdriver/examples/three-cards.xml
#   main-window-<ch|en>-<temperature|memory|clock>.png  the circle gauge in each mode, page effects
#                             "advanced", picked by clicking its ring segments
#   monitor-<ch|en>-rows.png, monitor-<ch|en>-graphs.png, monitor-<ch|en>-graphs-scrolled.png
#                             the monitor page with three rows checked, then their graphs (one hovered),
#                             after half a minute of simulated readings
#   board-<ch|en>-rows.png, board-<ch|en>-graphs.png  the board page, "Mem 1" and "Mem MOS" checked
#   fixedinfo-<ch|en>.png     the fixed information panel
#   main-window-<ch|en>-adjust.png  the overclocking page after the adjustment warning
#   main-window-<ch|en>-led.png  the LED page with the colour palette in the circle area
# The adjustment overlay, which the overclocking page drives, is saved by
# tools/screenshots/make-screenshots.sh (gauge_<language>_overlay_*.png).
# LUMETRA_SIM_CARDS picks other cards for the first three; LUMETRA_BUILD_DIR another build folder
# (default build/). Fails when Lumetra2 shows no window or a picture is blank (one colour); every Lumetra2 it
# started is ended, also on a failure.
# Usage: tools/screenshot-main.sh [output folder]
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
build="$(cd "$root/${LUMETRA_BUILD_DIR:-build}" && pwd)"
out="${1:-$root/screenshots}"
mkdir -p "$out"
out="$(cd "$out" && pwd)"
cmake --build "$build" --target Lumetra2 nvapi-sim lumetra-screengrab -j2 >/dev/null

# The program writes config.xml next to itself: run a copy in a scratch folder.
work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT
cp "$build/bin/Lumetra2" "$work/"
export LUMETRA_NVAPI_LIBRARY="$build/bin/libnvapi-sim.so"
export XDG_CONFIG_HOME="$work/xdg"
export TMPDIR="$work" XDG_RUNTIME_DIR="$work"
export LUMETRA_THREE_CARDS="$root/simdriver/examples/three-cards.xml"

xvfb-run -a -s "-screen 0 1024x640x24" bash -c '
    work=$1 build=$2 out=$3
    grab() { "$build/bin/lumetra-screengrab" "$out/$1"; }

    # Starts Lumetra2, waits for its window and sets X, Y of the main window.
    start() {
        "$work/Lumetra2" & pid=$!
        trap '"'"'kill "$pid" 2>/dev/null; wait "$pid" 2>/dev/null'"'"' EXIT
        for _ in $(seq 50); do
            xdotool search --onlyvisible --name LumetraII >/dev/null 2>&1 && break
            sleep 0.2
        done
        xdotool search --onlyvisible --name LumetraII >/dev/null 2>&1 \
            || { echo "screenshot-main: Lumetra2 did not show its window" >&2; exit 1; }
        sleep 1.5
        eval "$(xdotool getwindowgeometry --shell "$(xdotool search --onlyvisible --name LumetraII | head -1)")"
        mainX=$X mainY=$Y
    }

    # The buttons of the message boxes take no focus: click at an offset from the box'"'"'s centre, 25 px
    # above its bottom.
    clickBoxButton() {
        for w in $(xdotool search --onlyvisible --pid "$pid" 2>/dev/null); do
            [ "$(xdotool getwindowname "$w")" = LumetraII ] && continue
            eval "$(xdotool getwindowgeometry --shell "$w")"
            xdotool mousemove $((X + WIDTH / 2 + $1)) $((Y + HEIGHT - 25)) click 1
        done
        sleep 0.8
    }

    stop() { kill "$pid"; wait "$pid" 2>/dev/null || true; }

    start
    grab main-window-hint.png || exit 1
    clickBoxButton 0
    grab main-window.png || exit 1
    # "btnClose" sits at (width - 24, 122), 19 x 19; "No" is the right one of the two buttons.
    xdotool mousemove $((mainX + 800 - 15)) $((mainY + 131)) click 1
    sleep 0.8
    grab message-box.png || exit 1
    clickBoxButton 70
    stop

    export LUMETRA_SIM_CARDS=$LUMETRA_THREE_CARDS
    rm -f "$work/config.xml"
    start
    clickBoxButton 0
    # The card selector: centred, 300 x 50 at an eighth of the height.
    xdotool mousemove $((mainX + 400)) $((mainY + 507 / 8 + 25)) click 1
    sleep 0.8
    grab card-list-three-cards.png || exit 1
    xdotool key Escape
    stop
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
        (cd "$1" && exec "$1/Lumetra2") & pid=$!
        trap '"'"'kill "$pid" 2>/dev/null; wait "$pid" 2>/dev/null'"'"' EXIT
        for _ in $(seq 50); do
            xdotool search --onlyvisible --name LumetraII >/dev/null 2>&1 && break
            sleep 0.2
        done
        xdotool search --onlyvisible --name LumetraII >/dev/null 2>&1 \
            || { echo "screenshot-main: Lumetra2 did not show its window" >&2; exit 1; }
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
        # The "LED" tab (158 x 28 at (430, 0)): the LED page rolls in and the palette takes the circle area.
        xdotool mousemove $((X + 509)) $((Y + 14)) click 1
        xdotool mousemove $((X + 20)) $((Y + 480))
        sleep 3
        "$2/bin/lumetra-screengrab" "$3/main-window-$4-led.png" || status=1
        # The Adjust button at (w - 150, 120), 80 x 20, asks once; "Yes" is the left button of the box.
        xdotool mousemove $((X + 690)) $((Y + 130)) click 1
        sleep 0.8
        for w in $(xdotool search --onlyvisible --pid "$pid" 2>/dev/null); do
            [ "$(xdotool getwindowname "$w")" = LumetraII ] && continue
            eval "$(xdotool getwindowgeometry --shell "$w")"
            xdotool mousemove $((X + WIDTH / 2 - 70)) $((Y + HEIGHT - 25)) click 1
        done
        sleep 2.5
        "$2/bin/lumetra-screengrab" "$3/main-window-$4-adjust.png" || status=1
        kill "$pid"; wait "$pid" 2>/dev/null
        exit $status
    ' grab "$work" "$build" "$out" "$language"
done

# The monitor pages in the 285 x 294 page area at (443, 158): title band 29 px, rows of 39 px from y 29 with
# their check boxes at the left, "ckbTopRight" at (252, 0, 28, 29). Monitor (w - 235, 120), the board
# button (w - 235, 95) and the fixed-information button (280, 52) open them.
for language in ch en; do
    cat > "$work/config.xml" <<XML
<KorvoParameter>
    <GeneralSetting StartOnBoot="0" MinimizeOnStart="0" ApplyLastParamOnStart="1" Language="lang_$language" RefreshTimeOfMonitor="1" PageEffects="normal"/>
    <OtherSetting NotPromptHPS="1"/>
</KorvoParameter>
XML
    xvfb-run -a -s "-screen 0 1024x640x24" bash -c '
        work=$1 build=$2 out=$3 language=$4
        (cd "$work" && exec "$work/Lumetra2") & pid=$!
        trap '"'"'kill "$pid" 2>/dev/null; wait "$pid" 2>/dev/null'"'"' EXIT
        for _ in $(seq 50); do
            xdotool search --onlyvisible --name LumetraII >/dev/null 2>&1 && break
            sleep 0.2
        done
        xdotool search --onlyvisible --name LumetraII >/dev/null 2>&1 \
            || { echo "screenshot-main: Lumetra2 did not show its window" >&2; exit 1; }
        sleep 1
        window=$(xdotool search --onlyvisible --name LumetraII | head -1)
        eval "$(xdotool getwindowgeometry --shell "$window")"
        click() { xdotool mousemove $((X + $1)) $((Y + $2)) click 1; sleep "${3:-0.4}"; }
        row() { click 467 $((187 + 39 * $1 + 19)); }
        grab() { "$build/bin/lumetra-screengrab" "$out/$1-$language-$2.png" || status=1; }
        status=0
        click 605 130 1.5
        row 0; row 2; row 3
        # Half a minute of readings, so that the graphs have a history to show.
        sleep 30
        xdotool mousemove $((X + 20)) $((Y + 480))
        sleep 1
        grab monitor rows
        click 703 172 0.8
        xdotool mousemove $((X + 680)) $((Y + 250))
        sleep 1.2
        grab monitor graphs
        xdotool mousemove $((X + 600)) $((Y + 300)) click 5 click 5 click 5 click 5 click 5 click 5
        xdotool mousemove $((X + 20)) $((Y + 480))
        sleep 1.2
        grab monitor graphs-scrolled
        click 605 105 1.5
        row 0; row 3
        xdotool mousemove $((X + 20)) $((Y + 480))
        sleep 1
        grab board rows
        click 703 172 1.2
        grab board graphs
        click 290 62 1.5
        xdotool mousemove $((X + 20)) $((Y + 480))
        sleep 0.5
        "$build/bin/lumetra-screengrab" "$out/fixedinfo-$language.png" || status=1
        kill "$pid"; wait "$pid" 2>/dev/null
        exit $status
    ' grab "$work" "$build" "$out" "$language"
done
echo "screenshots written to $out"
