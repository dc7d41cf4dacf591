#!/usr/bin/env bash
# Runs Lumetra2 against the simulated driver (set LUMETRA_SIM_CARDS to a
# card file for other cards than the built-in default one).
set -euo pipefail
cd "$(dirname "$0")/.."
build=$(cd "${LUMETRA_BUILD_DIR:-build}" && pwd)
export LUMETRA_NVAPI_LIBRARY="$build/bin/libnvapi-sim.so"
exec "$build/bin/Lumetra2" "$@"
