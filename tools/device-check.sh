#!/usr/bin/env bash
# The device check for a machine with an NVIDIA GPU and its driver (not part of
# the test command). Builds the driver library for real cards, lumetra-info and
# the check program, then prints NVML's own view (driver version, every NVML
# symbol present or absent, each GPU's readings) beside the program's reading
# through the library, compared item by item, and lumetra-info --json through
# the library. As root it also moves each GPU's power limit inside its range
# and restores the original. Exits non-zero on any disagreement.
# A data-centre GPU without a display or fans is expected to answer "no fans"
# and "no offsets": the program must say the same, not invent them.
# With --i2c it shows instead what each card's own I2C bus answers (reads only):
# the adapter chosen, each device address, the lighting controller's state.
#   LUMETRA_DEVICE_BUILD_DIR  build folder (default: build-device)
set -euo pipefail
cd "$(dirname "$0")/.."
build=${LUMETRA_DEVICE_BUILD_DIR:-build-device}
started=$(date +%s)

cmake -S . -B "$build" -DLUMETRA_BUILD_TESTS=OFF -DLUMETRA_BENCH=OFF -DCMAKE_BUILD_TYPE=Release >/dev/null
cmake --build "$build" -j "$(nproc)" --target nvapi-linux lumetra-info lumetra-nvml-check >/dev/null
echo "Built in $(( $(date +%s) - started )) s"

export LUMETRA_NVAPI_LIBRARY="$PWD/$build/bin/libnvapi-linux.so"
# The per-boot state of a check run stays out of the user's own.
LUMETRA_DEVICE_RUNTIME=$(mktemp -d)
trap 'rm -rf "$LUMETRA_DEVICE_RUNTIME"' EXIT
chmod 700 "$LUMETRA_DEVICE_RUNTIME"
export XDG_RUNTIME_DIR="$LUMETRA_DEVICE_RUNTIME"

if [ "${1:-}" = "--i2c" ]; then
    echo "=== The card's I2C bus through the library"
    timeout 60 "$build/bin/lumetra-nvml-check" --i2c
    exit $?
fi

status=0
echo "=== NVML against the program"
timeout 60 "$build/bin/lumetra-nvml-check" --write-power || status=1
echo "=== lumetra-info --json through the library"
timeout 60 "$build/bin/lumetra-info" --json || status=1
echo "=== $(( $(date +%s) - started )) s, $([ "$status" -eq 0 ] && echo "all agree" || echo "DISAGREEMENT")"
exit "$status"
