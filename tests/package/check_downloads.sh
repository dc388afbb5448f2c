#!/usr/bin/env bash
# check_downloads.sh DIST: what `make dist` made, checked where it lands. The sums hold;
# the zip holds the stripped programs, the README and the notices, and nothing else;
# the programs import only what a fresh Windows has and start in a wine prefix made
# fresh; the package is hardened as Debian's own are, and (as root) installs, runs and
# goes again without a trace; every program says the one version; the debug
# information apart belongs to the programs shipped.
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
source "$here/../support/x_display.sh"
dist=$(cd "$1" && pwd)
work=$(mktemp -d)
cleanup() {
    [[ -n ${WINEPREFIX:-} ]] && wineserver -k 2>/dev/null || true
    [[ -n ${display:-} ]] && kill "$display" 2>/dev/null || true
    rm -rf "$work"
}
trap cleanup EXIT
failures=0
fail() { echo "FAIL: $*"; failures=$((failures + 1)); }

(cd "$dist" && sha256sum --quiet -c SHA256SUMS) || fail "SHA256SUMS"
zips=("$dist"/voq-upgrade-*-windows-x64.zip)
packages=("$dist"/voq-upgrade_*_amd64.deb)
[[ ${#zips[@]} == 1 && -f ${zips[0]} && ${#packages[@]} == 1 && -f ${packages[0]} ]] ||
    { echo "FAIL: not one zip and one package in $dist"; exit 1; }
version=$(dpkg-deb -f "${packages[0]}" Version)
[[ $(basename "${zips[0]}") == "voq-upgrade-$version-windows-x64.zip" ]] || fail "the zip's name is not the package's version $version"

# The zip.
folder=voq-upgrade-$version
expected=$(printf '%s\n' "$folder/NOTICES.txt" "$folder/README.txt" "$folder/voq-upgrade-cli.exe" "$folder/voq-upgrade.exe")
[[ $(zipinfo -1 "${zips[0]}" | sort) == "$expected" ]] || fail "the zip holds $(zipinfo -1 "${zips[0]}" | tr '\n' ' ')"
unzip -q "${zips[0]}" -d "$work/zip"
windows=$work/zip/$folder
for program in "$windows"/*.exe; do
    name=$(basename "$program")
    x86_64-w64-mingw32-objdump -h "$program" | grep -q '\.debug_' && fail "$name carries debug information"
    x86_64-w64-mingw32-windres -i "$program" -O rc 2>/dev/null | tr -d '\0' >"$work/$name.rc"
    for field in FileVersion ProductVersion; do
        grep -q "VALUE \"$field\", \"$version\"" "$work/$name.rc" || fail "$name's $field is not $version"
    done
    debug=$dist/symbols/windows/$name.debug
    python3 - "$program" "$debug" <<'PY' || fail "$name does not name its debug information by its CRC"
import subprocess, sys, zlib
section = subprocess.run(["x86_64-w64-mingw32-objcopy", "--dump-section", ".gnu_debuglink=/dev/stdout", sys.argv[1]],
                         capture_output=True, check=True).stdout
name, crc = section.split(b"\0", 1)[0].decode(), int.from_bytes(section[-4:], "little")
sys.exit(0 if name == sys.argv[2].rsplit("/", 1)[1] and crc == zlib.crc32(open(sys.argv[2], "rb").read()) else 1)
PY
done
"$here/check_windows_imports.sh" "$windows"/*.exe || fail "the Windows programs' imports"

# Both programs in a wine prefix made fresh: nothing installed, nothing shared. The
# display comes first: the prefix's wine server keeps the one it started with.
export WINEPREFIX=$work/wineprefix WINEDEBUG=-all WINEDLLOVERRIDES=mscoree,mshtml=
start_display
wineboot --init >/dev/null 2>&1 || fail "wineboot"
first=$(wine "$windows/voq-upgrade-cli.exe" --version 2>/dev/null | head -n 1 | tr -d '\r')
[[ $first == "voq-upgrade-cli $version" ]] || fail "voq-upgrade-cli.exe --version says '$first'"
wine "$windows/voq-upgrade.exe" >/dev/null 2>&1 &
started=no
for _ in $(seq 300); do
    log=$(find "$WINEPREFIX/drive_c/users" -path '*VOQ Upgrade/*.log' 2>/dev/null | head -n 1)
    windows_shown=$(timeout 10 xwininfo -root -children 2>/dev/null | grep -c '^ *0x' || true)
    if [[ -n $log && $windows_shown -gt 0 ]]; then
        started=yes
        break
    fi
    sleep 0.2
done
[[ $started == yes ]] || fail "voq-upgrade.exe showed no window or wrote no support log in a fresh prefix"
[[ $started == yes && $(head -n 1 "$log" | tr -d '\r') == *"voq-upgrade.exe $version" ]] ||
    fail "the support log's first line is not voq-upgrade.exe $version"
wineserver -k 2>/dev/null || true
unset WINEPREFIX

# The package: the hardening Debian's own packages have.
package=${packages[0]}
tags=$(lintian --no-cfg --tags hardening-no-bindnow,hardening-no-fortify-functions,hardening-no-pie,hardening-no-relro \
    "$package" 2>"$work/lintian.log") || { cat "$work/lintian.log"; fail "lintian did not run"; }
[[ -z $tags ]] || fail "lintian: $tags"
dpkg-deb -x "$package" "$work/deb"
if command -v hardening-check >/dev/null; then
    # Control-flow protection is left out: the C library's start files (Scrt1.o, crti.o)
    # carry no mark of it, so the linker takes it from every program of this system.
    hardening-check --nocfprotection "$work/deb/usr/bin/voq-upgrade" "$work/deb/usr/bin/voq-upgrade-cli" >"$work/hardening" ||
        { cat "$work/hardening"; fail "hardening-check"; }
fi
for program in voq-upgrade voq-upgrade-cli; do
    id=$(readelf -n "$work/deb/usr/bin/$program" | sed -n 's/.*Build ID: //p')
    [[ -n $id && $(readelf -n "$dist/symbols/linux/$program.debug" 2>/dev/null | sed -n 's/.*Build ID: //p') == "$id" ]] ||
        fail "symbols/linux/$program.debug is not the packaged $program's"
done

# Installed, run and removed, as root on a machine that has no VOQ Upgrade of its own.
if [[ $(id -u) != 0 ]]; then
    echo "not root: the package is not installed"
elif dpkg -s voq-upgrade >/dev/null 2>&1; then
    echo "voq-upgrade is installed already: the package is not installed over it"
else
    dpkg -i "$package" >"$work/install" 2>&1 || { cat "$work/install"; fail "dpkg -i"; }
    dpkg -L voq-upgrade >"$work/files"
    first=$(voq-upgrade-cli --version | head -n 1)
    [[ $first == "voq-upgrade-cli $version" ]] || fail "the installed voq-upgrade-cli --version says '$first'"
    dpkg --purge voq-upgrade >"$work/remove" 2>&1 || { cat "$work/remove"; fail "dpkg --purge"; }
    while read -r path; do
        [[ -e $path && ! -d $path ]] && fail "$path is left after dpkg --purge"
        [[ -d $path && -z $(ls -A "$path") ]] && ! dpkg -S "$path" >/dev/null 2>&1 && fail "$path is left empty"
    done <"$work/files"
    dpkg -s voq-upgrade >/dev/null 2>&1 && fail "dpkg still knows voq-upgrade"
fi

if ((failures > 0)); then
    echo "$failures problem(s) with the downloads in $dist"
    exit 1
fi
echo "the downloads of $version hold what they should and run where they land"
