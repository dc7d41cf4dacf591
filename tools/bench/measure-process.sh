#!/usr/bin/env bash
# Measures what Lumetra2 costs the machine: it starts the program under Xvfb against the simulated driver
# and prints one table with the budget beside each figure ("OVER" marks a figure over its budget).
#
# Per run, per card count (1 and 4 cards) and per scenario:
#   hidden     started hidden in the tray (MinimizeOnStart, a tray held by lumetra-mapwatch), effects on
#   shown      window shown, page effects "normal" (nothing animates)
#   animating  window shown, page effects "advanced", the gauge in memory mode (breathing + wave)
# it records the time from the start to the main window mapped, the process's CPU time over the measuring
# window (user + system from /proc/<pid>/stat, as a share of one core), VmRSS and VmHWM and the thread
# count at its end. Each figure in the table is the median over the runs, with the lowest and highest.
# The scenarios of one run share the machine: they start one after the other, then measure side by side.
#
# Usage: tools/bench/measure-process.sh [--runs N] [--seconds S] [--cards "1 4"] [--raw FILE]
# (defaults: 5 runs, 60 s, 1 and 4 cards). LUMETRA_BUILD_DIR picks another build folder (default build/).
set -euo pipefail
root="$(cd "$(dirname "$0")/../.." && pwd)"
build="$(cd "$root/${LUMETRA_BUILD_DIR:-build}" && pwd)"
runs=5 seconds=60 cardCounts="1 4" raw=""
while [ $# -gt 0 ]; do
    case "$1" in
    --runs) runs=$2; shift 2 ;;
    --seconds) seconds=$2; shift 2 ;;
    --cards) cardCounts=$2; shift 2 ;;
    --raw) raw=$2; shift 2 ;;
    *) echo "usage: $0 [--runs N] [--seconds S] [--cards \"1 4\"] [--raw FILE]" >&2; exit 2 ;;
    esac
done
cmake --build "$build" --target Lumetra2 nvapi-sim lumetra-mapwatch -j2 >/dev/null

scratch="$(mktemp -d)"
trap 'rm -rf "$scratch"' EXIT
results="$scratch/results.txt"
: >"$results"

# N simulated cards of the maker, each with its own load phase so that their readings do not move in step.
writeCardFile() {
    local count=$1 file=$2 i
    {
        echo '<?xml version="1.0" encoding="UTF-8"?>'
        echo '<simulatedCards driverVersion="41109" branch="r410_00-233">'
        for i in $(seq "$count"); do
            cat <<XML
    <card name="GeForce GTX 1070 Ti" phase="$i.3">
        <identity deviceId="0x1B8210DE" subsystemId="0x111E1D17" revisionId="0xA1" extDeviceId="0x1B82"
                  vbios="86.04.50.00.7a"/>
        <memory type="8" sizeKb="8388608" busWidth="256" clockMhz="4004" idleClockMhz="405"/>
        <clocks idleMhz="139" baseMhz="1607" boostMhz="1683" maxBoostMhz="1911"/>
        <offsets gpuMinMhz="-200" gpuMaxMhz="1000" memoryMinMhz="-500" memoryMaxMhz="1500"/>
        <power min="50" default="100" max="120"/>
        <thermal min="65" default="83" max="92"/>
        <fan minLevel="0" maxLevel="100" minRpm="600" maxRpm="3500"/>
        <led kind="3"/>
        <lcd/>
        <boardSensors addresses="0x9E 0x90 0x96 0x92"/>
    </card>
XML
        done
        echo '</simulatedCards>'
    } >"$file"
}

# One scenario in its own folder (config.xml, single-instance lock) and its own X server; appends
# "cards scenario mappedMs cpuPercent rssKb hwmKb threads" to the results.
runScenario() {
    local cards=$1 scenario=$2 work
    work="$(mktemp -d "$scratch/run.XXXXXX")"
    cp "$build/bin/Lumetra2" "$work/"
    writeCardFile "$cards" "$work/cards.xml"
    local minimize=0 effects=normal
    [ "$scenario" = hidden ] && minimize=1 effects=advanced
    [ "$scenario" = animating ] && effects=advanced
    cat >"$work/config.xml" <<XML
<KorvoParameter>
    <GeneralSetting StartOnBoot="0" MinimizeOnStart="$minimize" ApplyLastParamOnStart="1" Language="lang_en" RefreshTimeOfMonitor="1" PageEffects="$effects"/>
    <OtherSetting NotPromptHPS="1"/>
</KorvoParameter>
XML
    LUMETRA_NVAPI_LIBRARY="$build/bin/libnvapi-sim.so" LUMETRA_SIM_CARDS="$work/cards.xml" \
        XDG_CONFIG_HOME="$work/xdg" TMPDIR="$work" XDG_RUNTIME_DIR="$work" \
        xvfb-run -a -s "-screen 0 1024x640x24" bash -c '
        work=$1 build=$2 cards=$3 scenario=$4 seconds=$5
        cd "$work"
        watch=(--timeout-ms 20000)
        [ "$scenario" = hidden ] && watch=(--tray --timeout-ms 0)
        "$build/bin/lumetra-mapwatch" "${watch[@]}" -- "$work/Lumetra2" >"$work/map.txt" 2>/dev/null &
        watcher=$!
        for _ in $(seq 300); do [ -s "$work/map.txt" ] && break; sleep 0.1; done
        read -r pid mapped <"$work/map.txt" || exit 1
        # Settle: the start-up work and the first frames are not part of the steady cost.
        sleep 2
        if [ "$scenario" = animating ]; then
            # The memory segment of the gauge lies below its centre, at (399, 427) in the window.
            window=$(xdotool search --onlyvisible --pid "$pid" --name LumetraII | head -1)
            eval "$(xdotool getwindowgeometry --shell "$window")"
            xdotool mousemove $((X + 399)) $((Y + 427)) click 1 mousemove $((X + 20)) $((Y + 480))
            sleep 1
        fi
        ticks() { awk "{ sub(/.*\\) /, \"\"); print \$12 + \$13 }" "/proc/$pid/stat"; }
        before=$(ticks)
        sleep "$seconds"
        after=$(ticks)
        hz=$(getconf CLK_TCK)
        rss=$(awk "/^VmRSS:/ { print \$2 }" "/proc/$pid/status")
        hwm=$(awk "/^VmHWM:/ { print \$2 }" "/proc/$pid/status")
        threads=$(awk "/^Threads:/ { print \$2 }" "/proc/$pid/status")
        cpu=$(awk -v a="$before" -v b="$after" -v hz="$hz" -v s="$seconds" "BEGIN { printf \"%.3f\", 100 * (b - a) / hz / s }")
        kill "$pid" 2>/dev/null || true
        wait "$watcher" 2>/dev/null || true
        echo "$cards $scenario $mapped $cpu $rss $hwm $threads"
    ' measure "$work" "$build" "$cards" "$scenario" "$seconds" >>"$results"
}

for run in $(seq "$runs"); do
    echo "run $run of $runs ..." >&2
    for cards in $cardCounts; do
        for scenario in hidden shown animating; do
            runScenario "$cards" "$scenario" &
            sleep 4
        done
    done
    wait
done
[ -n "$raw" ] && cp "$results" "$raw"

# median, min and max of column $3 of the results matching cards/scenario (column 3 of the awk call's
# input lines); prints "median min max count".
stats() {
    local cards=$1 scenarios=$2 column=$3
    awk -v c="$cards" -v s=" $scenarios " -v k="$column" '
        $1 == c && index(s, " " $2 " ") && $k != "-1.0" && $k != "" { print $k }' "$results" | sort -g | awk '
        { v[NR] = $1 }
        END {
            if (NR == 0) { print "- - - 0"; exit }
            m = (NR % 2) ? v[(NR + 1) / 2] : (v[NR / 2] + v[NR / 2 + 1]) / 2
            print m, v[1], v[NR], NR
        }'
}

# One table row: label, budget text, budget number (empty: report only), figure's unit, stats, scale.
row() {
    local label=$1 budgetText=$2 budget=$3 unit=$4 scale=$5
    shift 5
    read -r median low high count <<<"$(stats "$@")"
    if [ "$count" = 0 ]; then
        printf '| %s | %s | no figure | |\n' "$label" "$budgetText"
        return
    fi
    local figure mark=""
    figure=$(awk -v m="$median" -v l="$low" -v h="$high" -v f="$scale" -v u="$unit" -v n="$count" \
        'BEGIN { printf "%.*f %s (%.*f-%.*f, n=%d)", (f == 1 ? 2 : 1), m / f, u, (f == 1 ? 2 : 1), l / f, (f == 1 ? 2 : 1), h / f, n }')
    if [ -n "$budget" ] && awk -v m="$median" -v f="$scale" -v b="$budget" 'BEGIN { exit !(m / f > b) }'; then
        mark="**OVER**"
    elif [ -n "$budget" ]; then
        mark="ok"
    fi
    printf '| %s | %s | %s | %s |\n' "$label" "$budgetText" "$figure" "$mark"
}

echo
echo "Lumetra2 under Xvfb, simulated driver, $runs runs of $seconds s (median (lowest-highest, runs));"
echo "the scenarios of a run measured side by side on this machine, whose other load is not ours."
echo
echo "| what | budget | measured | |"
echo "|---|---|---|---|"
for cards in $cardCounts; do
    n="$cards card"; [ "$cards" = 1 ] || n="$cards cards"
    hiddenBudget="" animBudget="" startBudget="" rssBudget=""
    [ "$cards" = 1 ] && hiddenBudget=0.3 animBudget=3 startBudget=150 rssBudget=50
    [ "$cards" = 4 ] && startBudget=250 rssBudget=55
    text() { [ -n "$1" ] && echo "<= $1 $2" || echo "report"; }
    row "CPU, window hidden in the tray, 1 s refresh, $n" "$(text "$hiddenBudget" "% of one core")" \
        "$hiddenBudget" "%" 1 "$cards" hidden 4
    row "CPU, window shown, nothing animating, $n" "report" "" "%" 1 "$cards" shown 4
    row "CPU, window shown, gauge animating (breathing + wave), $n" "$(text "$animBudget" "% of one core")" \
        "$animBudget" "%" 1 "$cards" animating 4
    row "start to the main window mapped, $n" "$(text "$startBudget" ms)" "$startBudget" ms 1 \
        "$cards" "shown animating" 3
    row "resident memory (VmRSS) after $seconds s, $n" "$(text "$rssBudget" MB)" "$rssBudget" MB 1024 \
        "$cards" "shown animating" 5
    row "peak resident memory (VmHWM), $n" "report" "" MB 1024 "$cards" "hidden shown animating" 6
    row "threads, window shown, $n" "report" "" "" 1 "$cards" "shown animating" 7
done
