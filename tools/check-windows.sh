#!/usr/bin/env bash
# Compile-checks both programs, their libraries and the driver loader for Windows: every source
# that CMake's compile commands list for this Linux build, with each *_posix.cpp or *_x11.cpp
# replaced by its *_win.cpp, run through MinGW-w64's g++ in syntax-only mode against the Qt 5
# headers Debian installs (Qt's win32-g++ mkspec instead of linux-g++). The simulated driver,
# the driver library for real cards on Linux, the tests, fuzzers, benchmarks and Linux tools are
# left out. A new file is checked without editing this script. Fails on any compile error.
#   LUMETRA_BUILD_DIR  the configured build folder whose compile_commands.json is read (default: build)
#   extra arguments: further source files to check with the flags of the first source
set -euo pipefail
cd "$(dirname "$0")/.."
build=${LUMETRA_BUILD_DIR:-build}
commands="$build/compile_commands.json"
compiler=x86_64-w64-mingw32-g++-posix
root=$(pwd)
started=$(date +%s%N)

command -v "$compiler" >/dev/null || { echo "check-windows: $compiler is missing (tools/debian-packages-ci.txt)" >&2; exit 1; }
command -v jq >/dev/null || { echo "check-windows: jq is missing (tools/debian-packages-ci.txt)" >&2; exit 1; }
[ -f "$commands" ] || { echo "check-windows: no $commands; configure the build first (tools/setup.sh)" >&2; exit 1; }

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
# zlib's headers (QuaZip includes them) are plain C for every target; MinGW ships none, and the
# rest of /usr/include must stay out of reach, or a POSIX-only header would be found.
mkdir "$work/zlib"
ln -s /usr/include/zlib.h /usr/include/zconf.h "$work/zlib/"

# One line per file to check: the file, then the flags that matter for a syntax check.
jq -r '.[] | [.file, .command] | @tsv' "$commands" | while IFS=$'\t' read -r file command; do
    relative=${file#"$root"/}
    case "$relative" in
        /*|build*/*|simdriver/*|linuxdriver/*|tests/*|fuzz/*|bench/*|tools/*) continue ;;
    esac
    case "$relative" in
        *_posix.cpp|*_x11.cpp)
            windows="${relative%_*}_win.cpp"
            if [ ! -f "$windows" ]; then
                echo "check-windows: $relative has no Windows counterpart $windows" >&2
                echo "$relative" >>"$work/missing"
                continue
            fi
            relative=$windows ;;
    esac
    flags=""
    next_is_path=0
    for word in $command; do
        if [ "$next_is_path" -eq 1 ]; then
            next_is_path=0
            case "$word" in
                */mkspecs/linux-g++) word=${word%/linux-g++}/win32-g++ ;;
                *QtX11Extras*) continue ;;
            esac
            flags="$flags -isystem $word"
            continue
        fi
        case "$word" in
            -isystem) next_is_path=1 ;;
            -DQT_X11EXTRAS_LIB) ;;
            -D*|-I*|-std=*) flags="$flags $word" ;;
        esac
    done
    printf '%s\t%s\n' "$relative" "$flags -isystem $work/zlib"
done | sort -u >"$work/list"

[ ! -f "$work/missing" ] || exit 1
if [ "$#" -gt 0 ]; then
    first_flags=$(head -n1 "$work/list" | cut -f2)
    for extra in "$@"; do
        printf '%s\t%s\n' "$extra" "$first_flags" >>"$work/list"
    done
fi

count=$(wc -l <"$work/list")
# Each file on its own, as many at once as there are cores; a file's errors land in its own log.
export compiler work
awk -F'\t' '{ print NR "\t" $1 "\t" $2 }' "$work/list" | xargs -P "$(nproc)" -d '\n' -n 1 bash -c '
    IFS=$'"'"'\t'"'"' read -r n file flags <<<"$0"
    # shellcheck disable=SC2086
    if ! "$compiler" -fsyntax-only $flags -w "$file" >"$work/$n.log" 2>&1; then
        echo "$file" >>"$work/failed"
    fi'

elapsed_ms=$((($(date +%s%N) - started) / 1000000))
elapsed="$((elapsed_ms / 1000)).$(printf '%03d' $((elapsed_ms % 1000)))"
if [ -f "$work/failed" ]; then
    while read -r file; do
        echo "=== $file"
        n=$(awk -F'\t' -v f="$file" '$1 == f { print NR; exit }' "$work/list")
        head -n 30 "$work/$n.log"
    done <"$work/failed"
    echo "check-windows: $(wc -l <"$work/failed") of $count files failed to compile for Windows (${elapsed}s)"
    exit 1
fi
echo "check-windows: $count files compile for Windows (${elapsed}s, $(nproc) at a time)"
