#!/usr/bin/env bash
# Runs Lumetra2 against the simulated driver (set LUMETRA_SIM_CARDS to a card
# file for other cards than the built-in default one). Without a display it
# shows the same live readings on the terminal through lumetra-info instead.
set -euo pipefail
cd "$(dirname "$0")/.."
build=$(cd "${LUMETRA_BUILD_DIR:-build}" && pwd)
export LUMETRA_NVAPI_LIBRARY="$build/bin/libnvapi-sim.so"
# The simulated lighting controller keeps its last command here, so that lumetra-info, run with the same
# variable from another terminal, shows what the LED page sent.
export LUMETRA_SIM_LED_STATE="${LUMETRA_SIM_LED_STATE:-$build/bin/sim-led-state}"
if [ -n "${DISPLAY:-}${WAYLAND_DISPLAY:-}" ] || [ -n "${QT_QPA_PLATFORM:-}" ]; then
    exec "$build/bin/Lumetra2" "$@"
fi
echo "No display: showing the readings with lumetra-info (Ctrl+C ends)." >&2
exec "$build/bin/lumetra-info" --watch 1
