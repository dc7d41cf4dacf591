#!/usr/bin/env bash
# Measures lumetra-info --serve with four simulated cards at a 5 s interval: the CPU it takes over
# 60 s while scraped every 5 s, the latency of 1,000 scrapes (median and 99th percentile), and the
# resident memory after 100 scrapes and after 10,000. Needs curl; not part of the tests.
#   LUMETRA_BUILD_DIR  build folder (default: build)
set -euo pipefail
cd "$(dirname "$0")/../.."
build=$(cd "${LUMETRA_BUILD_DIR:-build}" && pwd)
work=$(mktemp -d)
trap 'kill "$pid" 2>/dev/null || true; rm -rf "$work"' EXIT

printf '<simulatedCards>\n' >"$work/cards.xml"
for phase in 0 1 2 3; do printf '  <card phase="%s"/>\n' "$phase" >>"$work/cards.xml"; done
printf '</simulatedCards>\n' >>"$work/cards.xml"
port=$(( 20000 + RANDOM % 20000 ))
LUMETRA_NVAPI_LIBRARY="$build/bin/libnvapi-sim.so" LUMETRA_SIM_CARDS="$work/cards.xml" \
    "$build/bin/lumetra-info" --serve "127.0.0.1:$port" --watch 5 2>/dev/null &
pid=$!
url="http://127.0.0.1:$port/metrics"
for _ in $(seq 50); do curl -sf -o /dev/null "$url" && break; sleep 0.1; done

ticks() { awk '{ print $14 + $15 }' "/proc/$pid/stat"; }
rss_kb() { awk '/^VmRSS/ { print $2 }' "/proc/$pid/status"; }
hz=$(getconf CLK_TCK)

before=$(ticks)
for _ in $(seq 12); do curl -sf -o /dev/null "$url"; sleep 5; done
after=$(ticks)
echo "CPU over 60 s, scraped every 5 s: $(awk -v t=$((after - before)) -v hz="$hz" 'BEGIN { printf "%.3f", 100 * t / hz / 60 }') % of a core"

# 12 scrapes so far: 88 more make 100.
for _ in $(seq 88); do curl -s -o /dev/null "$url"; done
rss100=$(rss_kb)

for _ in $(seq 1000); do curl -s -o /dev/null -w '%{time_total}\n' "$url"; done | sort -n >"$work/latency"
echo "Latency of 1,000 scrapes: median $(awk 'NR == 500 { printf "%.2f", $1 * 1000 }' "$work/latency") ms," \
    "99th percentile $(awk 'NR == 990 { printf "%.2f", $1 * 1000 }' "$work/latency") ms"

for _ in $(seq 8900); do curl -s -o /dev/null "$url"; done
echo "Resident memory after 100 scrapes: $rss100 kB; after 10,000: $(rss_kb) kB"
