#!/usr/bin/env bash
# Installs what the project needs on Debian 12, then configures and builds it
# into build/. Safe to run again: apt and CMake only do what is missing.
#   LUMETRA_BUILD_DIR   build folder (default: build)
#   LUMETRA_CMAKE_ARGS  extra arguments for the CMake configure step
set -euo pipefail
cd "$(dirname "$0")/.."

packages=$(grep -v '^#' tools/debian-packages.txt | xargs)
missing=""
for p in $packages; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing="$missing $p"
done
if [ -n "$missing" ]; then
    sudo=""
    [ "$(id -u)" -eq 0 ] || sudo="sudo"
    $sudo apt-get update
    DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y --no-install-recommends $missing
fi

build=${LUMETRA_BUILD_DIR:-build}
# shellcheck disable=SC2086
cmake -S . -B "$build" ${LUMETRA_CMAKE_ARGS:-}
cmake --build "$build" -j "$(nproc)"
