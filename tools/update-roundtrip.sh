#!/usr/bin/env bash
# One update end to end on this machine, under Xvfb, against a loopback HTTPS server:
#   1. a program folder with Lumetra2 and KorvoUpdate (the "installed" version, 1.0.2.4);
#   2. a newer release (the same programs with changed bytes, and update logs) published by
#      build/bin/publish-update as version 9.9.9.9 into a lighttpd document root with a throwaway CA;
#   3. Lumetra2 starts with LUMETRA_UPDATE_SERVER/LUMETRA_UPDATE_CA_FILE pointing at that server, checks,
#      finds the check due (config.xml says the last one was in 2020), offers the update and starts KorvoUpdate;
#      every message box is answered with its first button. When no updater appears within 25 s the
#      script plays that half itself: it puts the published manifest into temp/ and starts
#      "KorvoUpdate _Lumetra2 lang_en" exactly as the main program would, and says so;
#   4. the updater checks, downloads and extracts (screenshots of each phase), restarts Lumetra2 with
#      "_KorvoUpdate", which installs the new KorvoUpdate, empties temp/ and shows the update log.
# It then compares every installed file with the release and prints what matched.
# Screenshots go to screenshots/roundtrip-*.png. Exit code 0 when the installed files equal the release.
# Usage: tools/update-roundtrip.sh [output folder]
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
build="$(cd "$root/${LUMETRA_BUILD_DIR:-build}" && pwd)"
out="${1:-$root/screenshots}"
mkdir -p "$out"
out="$(cd "$out" && pwd)"
cmake --build "$build" --target Lumetra2 KorvoUpdate publish-update nvapi-sim lumetra-screengrab -j2 >/dev/null

work="$(mktemp -d)"
server_pid=""
cleanup() {
    [ -n "$server_pid" ] && kill "$server_pid" 2>/dev/null || true
    rm -rf "$work"
}
trap cleanup EXIT
program="$work/program" release="$work/release" docroot="$work/www" certs="$work/certs"
mkdir -p "$program" "$release/updateLog" "$docroot" "$certs"

# Installed version and the newer release: appended bytes change a program's digest, not its behaviour.
cp "$build/bin/Lumetra2" "$build/bin/KorvoUpdate" "$program/"
cp "$build/bin/Lumetra2" "$build/bin/KorvoUpdate" "$release/"
printf '\nrelease 9.9.9.9\n' >>"$release/Lumetra2"
printf '\nrelease 9.9.9.9\n' >>"$release/KorvoUpdate"
printf 'Version 9.9.9.9\n- the round trip works\n' >"$release/updateLog/english.txt"
printf '版本 9.9.9.9\n- 往返更新成功\n' >"$release/updateLog/chinese.txt"

# The loopback HTTPS server.
port=$(( 20000 + RANDOM % 20000 ))
(
    cd "$certs"
    openssl req -x509 -newkey ec -pkeyopt ec_paramgen_curve:prime256v1 -nodes -keyout ca.key -out ca.pem \
        -days 2 -subj "/CN=Lumetra round trip CA" -addext "basicConstraints=critical,CA:TRUE" \
        -addext "keyUsage=critical,keyCertSign" 2>/dev/null
    openssl req -new -newkey ec -pkeyopt ec_paramgen_curve:prime256v1 -nodes -keyout server.key \
        -out server.csr -subj "/CN=127.0.0.1" 2>/dev/null
    printf 'subjectAltName=IP:127.0.0.1\nbasicConstraints=CA:FALSE\nextendedKeyUsage=serverAuth\n' >server.ext
    openssl x509 -req -in server.csr -CA ca.pem -CAkey ca.key -CAcreateserial -out server.pem -days 2 \
        -extfile server.ext 2>/dev/null
)
cat >"$certs/lighttpd.conf" <<CONF
server.document-root = "$docroot"
server.bind = "127.0.0.1"
server.port = $port
server.modules = ("mod_openssl")
server.errorlog = "$certs/error.log"
ssl.engine = "enable"
ssl.pemfile = "$certs/server.pem"
ssl.privkey = "$certs/server.key"
mimetype.assign = (".xml" => "text/xml", ".zip" => "application/zip")
CONF
lighttpd -D -f "$certs/lighttpd.conf" & server_pid=$!
server="https://127.0.0.1:$port"
"$build/bin/publish-update" --version 9.9.9.9 --server "$server" "$release" "$docroot" >/dev/null
manifest="$docroot/update_packets/Lumetra2_UpdateFiles/update_info.xml"
[ -f "$manifest" ] || { echo "publish-update wrote no manifest" >&2; exit 1; }

# A check is due: the last one lies years back; the update is offered with a question (mode 2).
cat >"$program/config.xml" <<XML
<KorvoParameter>
    <GeneralSetting StartOnBoot="0" MinimizeOnStart="0" ApplyLastParamOnStart="1" Language="lang_en" RefreshTimeOfMonitor="1" PageEffects="normal"/>
    <UpdateSetting CheckInterval="7" UpdateMode="2"/>
    <LastCheckDate>2020/01/01</LastCheckDate>
    <OtherSetting NotPromptHPS="1"/>
</KorvoParameter>
XML

export LUMETRA_UPDATE_SERVER="$server" LUMETRA_UPDATE_CA_FILE="$certs/ca.pem"
export LUMETRA_NVAPI_LIBRARY="$build/bin/libnvapi-sim.so" XDG_CONFIG_HOME="$work/xdg" TMPDIR="$work" XDG_RUNTIME_DIR="$work"

xvfb-run -a -s "-screen 0 1024x640x24" bash -c '
    program=$1 build=$2 out=$3 manifest=$4
    grab() { "$build/bin/lumetra-screengrab" "$out/$1"; }
    visible() { xdotool search --onlyvisible --name "$1" >/dev/null 2>&1; }
    # Every box (a window of the main program other than its main window) is answered with its first button: on a two-button box it
    # lies left of the middle, on a one-button box in the middle; the clicks alternate between the two
    # places, and the middle of a two-button box is the gap between its buttons.
    turn=0
    answerBoxes() {
        turn=$((1 - turn))
        for w in $(xdotool search --onlyvisible --pid "$main" 2>/dev/null); do
            name=$(xdotool getwindowname "$w" 2>/dev/null || true)
            [ "$name" = LumetraII ] && continue
            eval "$(xdotool getwindowgeometry --shell "$w")"
            [ "$WIDTH" -lt 100 ] && continue
            x=$((X + WIDTH / 2)); [ $turn = 1 ] && x=$((X + WIDTH * 3 / 10))
            xdotool mousemove $x $((Y + HEIGHT - 25)) click 1 2>/dev/null || true
        done
    }

    (cd "$program" && exec ./Lumetra2) & main=$!
    offered=no
    for _ in $(seq 125); do
        visible KorvoUpdate && { offered=yes; break; }
        answerBoxes
        sleep 0.2
    done
    if [ $offered = no ]; then
        echo "Lumetra2 did not start the updater within 25 s (is the update check wired into its window?);"
        echo "starting KorvoUpdate as the main program would, with the published manifest in temp/."
        grab roundtrip-main-before.png || true
        kill $main 2>/dev/null; wait $main 2>/dev/null || true
        mkdir -p "$program/temp" && cp "$manifest" "$program/temp/update_info.xml"
        (cd "$program" && exec ./KorvoUpdate _Lumetra2 lang_en) &
        for _ in $(seq 50); do visible KorvoUpdate && break; sleep 0.1; done
    fi
    echo "offered by the main program: $offered"
    # The phases pass quickly: a picture every 0.4 s while the updater window is up.
    shot=0
    while visible KorvoUpdate && [ $shot -lt 60 ]; do
        shot=$((shot + 1))
        grab "$(printf "roundtrip-updater-%02d.png" $shot)" || true
        sleep 0.4
    done
    # The restarted main program: its update log and its window.
    for _ in $(seq 150); do
        visible LumetraII && break
        answerBoxes
        sleep 0.2
    done
    sleep 2
    grab roundtrip-after-restart.png
    if visible LumetraII; then
        echo "Lumetra2 restarted"
        restarted=$(xdotool getwindowpid "$(xdotool search --onlyvisible --name LumetraII | head -1)")
        shown=no
        for w in $(xdotool search --onlyvisible --pid "$restarted" 2>/dev/null); do
            [ "$(xdotool getwindowname "$w" 2>/dev/null)" = LumetraII ] || shown=yes
        done
        echo "update log shown: $shown"
        for w in $(xdotool search --onlyvisible --name LumetraII); do
            kill "$(xdotool getwindowpid "$w")" 2>/dev/null || true
        done
    else
        echo "Lumetra2 did not restart"
    fi
    kill $main 2>/dev/null || true
' _ "$program" "$build" "$out" "$manifest"

status=0
for f in Lumetra2 KorvoUpdate updateLog/english.txt updateLog/chinese.txt; do
    if cmp -s "$program/$f" "$release/$f"; then echo "installed $f: the release's"
    else echo "installed $f: NOT the release's"; status=1; fi
done
echo "temp/ holds: $(ls -A "$program/temp" 2>/dev/null | tr '\n' ' ')"
echo "screenshots: $out/roundtrip-*.png"
exit $status
