#!/usr/bin/env bash
# Makes the .deb and the portable archive from a build folder and tries them as a user meets them:
#   - lintian has no error on the .deb (its warnings and notes are printed);
#   - apt-get installs it; desktop-file-validate and appstreamcli validate --no-net pass on the installed
#     files; /usr/bin/lumetra-info --json reads the simulated card;
#   - Lumetra2 starts under Xvfb as a normal user (created here, removed after), writes its settings and
#     its autostart entry into that user's configuration folder, and nothing under /usr;
#   - apt-get removes the package without leaving a file of it; the user's settings stay;
#   - the portable folder unpacks anywhere, runs from there and keeps config.xml beside the program.
# Needs root: it installs a package and creates a user. It sets the build folder's install prefix to /usr.
# Usage: tools/package-check.sh [build folder]
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
build="$(cd "${1:-$root/build}" && pwd)"
if [ "$(id -u)" -ne 0 ]; then
    echo "package-check: run as root (it installs the package and creates a user)" >&2
    exit 1
fi

step() { echo; echo "== $*"; }
fail() { echo "package-check: FAILED: $*" >&2; exit 1; }

step "packages"
cmake -DCMAKE_INSTALL_PREFIX=/usr "$build" >/dev/null
cmake --build "$build" -j "$(nproc)" --target Lumetra2 KorvoUpdate lumetra-info nvapi-linux nvapi-sim \
    lumetra_desktop_files >/dev/null
rm -rf "$build/packages"
cpack --config "$build/CPackConfig.cmake" -B "$build/packages" >/dev/null
deb="$(ls "$build"/packages/lumetra_*.deb)"
tgz="$(ls "$build"/packages/lumetra-*-portable-*.tar.gz)"
ls -l "$deb" "$tgz"

step "lintian (errors fail)"
lintian --allow-root --fail-on error "$deb"
echo "lintian: no errors"

user="lumetracheck$$"
work="$(mktemp -d)"
chmod 755 "$work"
cleanup() {
    pkill -KILL -u "$user" 2>/dev/null || true
    if dpkg-query -W -f='${Status}' lumetra 2>/dev/null | grep -q "install ok installed"; then
        DEBIAN_FRONTEND=noninteractive apt-get remove --purge -y lumetra >/dev/null 2>&1 || true
    fi
    userdel -r "$user" >/dev/null 2>&1 || true
    rm -rf "$work"
}
trap cleanup EXIT

step "install"
DEBIAN_FRONTEND=noninteractive apt-get install -y --no-install-recommends "$deb"
desktop-file-validate /usr/share/applications/example.ostrand.lumetra2.desktop
appstreamcli validate --no-net /usr/share/metainfo/example.ostrand.lumetra2.metainfo.xml

# The simulated driver, where the test user can read it.
mkdir -p "$work/sim"
cp "$build/bin/libnvapi-sim.so" "$work/sim/"
chmod -R a+rX "$work/sim"
sim="$work/sim/libnvapi-sim.so"

step "lumetra-info from the package"
LUMETRA_NVAPI_LIBRARY="$sim" /usr/bin/lumetra-info --json >"$work/info.json"
grep -q '"GeForce' "$work/info.json" || fail "lumetra-info --json shows no card: $(cat "$work/info.json")"
echo "lumetra-info --json: $(head -c 160 "$work/info.json")..."

step "Lumetra2 from the package, as a normal user"
useradd -m -s /bin/sh "$user"
home="$(getent passwd "$user" | cut -d: -f6)"
runtime="$work/runtime"
install -d -m 700 -o "$user" "$runtime"

# Runs a program as the test user under Xvfb until the file appears, then ends it as log-out would.
run_until() {
    local program="$1" file="$2"
    runuser -u "$user" -- env -i HOME="$home" PATH=/usr/bin:/bin USER="$user" LOGNAME="$user" \
        XDG_RUNTIME_DIR="$runtime" LUMETRA_NVAPI_LIBRARY="$sim" LUMETRA_NVML_LIBRARY=/nonexistent \
        LUMETRA_LINUX_I2C=off xvfb-run -a "$program" >"$work/run.log" 2>&1 &
    local runner=$! i
    for i in $(seq 1 300); do
        [ -f "$file" ] && break
        sleep 0.1
    done
    [ -f "$file" ] || { cat "$work/run.log"; fail "$program wrote no $file"; }
    sleep 2
    pkill -TERM -u "$user" -x Lumetra2 || true
    for i in $(seq 1 100); do
        pgrep -u "$user" -x Lumetra2 >/dev/null || break
        sleep 0.1
    done
    pgrep -u "$user" -x Lumetra2 >/dev/null && fail "$program did not end on SIGTERM"
    wait "$runner" || true
}

stamp="$work/stamp"
touch "$stamp"
sleep 1
run_until /usr/bin/Lumetra2 "$home/.config/lumetra/config.xml"
[ "$(stat -c %U "$home/.config/lumetra/config.xml")" = "$user" ] || fail "config.xml is not the user's"
[ -f "$home/.config/autostart/_Lumetra2.desktop" ] || fail "no autostart entry in the user's folder"
[ ! -e /etc/xdg/autostart/_Lumetra2.desktop ] || fail "an autostart entry was written for every user"
written="$(find /usr /etc/xdg -newer "$stamp" -not -type d 2>/dev/null || true)"
[ -z "$written" ] || fail "files written by the program's run: $written"
echo "settings: $(ls "$home/.config/lumetra")"
echo "autostart: $home/.config/autostart/_Lumetra2.desktop"
echo "nothing written under /usr"

step "removal"
dpkg -L lumetra | while read -r path; do [ -f "$path" ] && echo "$path"; done >"$work/files"
DEBIAN_FRONTEND=noninteractive apt-get remove --purge -y lumetra
left=""
while read -r path; do
    [ -e "$path" ] && left="$left $path"
done <"$work/files"
[ -z "$left" ] || fail "files left by the package:$left"
[ -f "$home/.config/lumetra/config.xml" ] || fail "the removal took the user's settings"
echo "removed: $(wc -l <"$work/files") files gone; the user's settings stay"

step "portable folder"
install -d -m 755 -o "$user" "$work/anywhere"
runuser -u "$user" -- tar xzf "$tgz" -C "$work/anywhere"
folder="$(ls -d "$work"/anywhere/lumetra-*)"
for file in Lumetra2 KorvoUpdate lumetra-info libnvapi-linux.so; do
    [ -f "$folder/$file" ] || fail "the portable folder lacks $file"
done
touch "$stamp"
sleep 1
run_until "$folder/Lumetra2" "$folder/config.xml"
[ -z "$(find "$home/.config/lumetra" -newer "$stamp")" ] || fail "the portable program wrote the package's settings"
echo "portable: $(ls "$folder")"
echo
echo "package-check: passed"
