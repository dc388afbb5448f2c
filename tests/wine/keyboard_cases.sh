#!/usr/bin/env bash
# keyboard_cases.sh SIMULATOR WINDOWS_BUILD CASES SHOTS_DIR PREFIX
# The Windows program's real dialogs under wine, played with the keyboard alone
# through every case of CASES against the simulated device, in a network namespace
# of its own on an Xvfb display. Each case's transcript must show the screens and
# the outcome that the table names, the same that the Linux program shows.
set -euo pipefail
simulator=$1 windows=$2 cases=$3 shots=$4 prefix=$5

if [[ -z "${VOQ_KEYS_IN_NAMESPACE:-}" ]]; then
    exec env VOQ_KEYS_IN_NAMESPACE=1 unshare --map-root-user --net bash "$0" "$@"
fi
ip link set lo up
rm -rf "$shots"
mkdir -p "$shots"
# shellcheck source=display.sh
source "$(dirname "$0")/display.sh"
start_wine_session "$prefix"

differences="$(dirname "$0")/wine_differences.txt"
failures=0
while IFS='|' read -r name options keys screens outcome; do
    [[ -z $name || $name == \#* ]] && continue
    # Where wine's own control makes the case end otherwise, that end is expected.
    why=
    if difference=$(grep -m1 "^$name|" "$differences"); then
        IFS='|' read -r _ screens outcome why <<< "$difference"
    fi
    out="$shots/$name"
    mkdir -p "$out"
    # shellcheck disable=SC2086  # the options are words
    "$simulator" --address 127.0.0.2 --password secret --qop auth --restart-time 1500 $options > "$out/device.log" 2>&1 &
    device=$!
    sleep 0.3
    wine "$windows/drivers/win32/voq-win32-autopilot.exe" "$(winepath -w "$out")" 127.0.0.2 secret \
        "$(winepath -w "$windows/frontends/win32/voq-upgrade.exe")" "$keys" > "$out/autopilot.log" 2>&1 || true
    kill $device 2>/dev/null || true
    wait $device 2>/dev/null || true
    device=
    seen=$(grep '^screen ' "$out/summary.txt" | awk '{print $2}' | grep -v '^105$' | awk '!seen[$0]++' | xargs)
    got=none
    # Credentials the program would not send must not reach the device in any form.
    [[ $outcome == unsigned ]] && ! grep -E ' -> [0-9]+ \(' "$out/device.log" | grep -qv 'no Authorization line' && got=unsigned
    grep -q 'GET /admin/upgrade.* -> 200' "$out/device.log" && got=aborted
    grep -q 'received 734916 bytes' "$out/device.log" && got=whole
    verdict=ok
    [[ $seen == "$screens" && $got == "$outcome" ]] && tr -d '\r' < "$out/summary.txt" | grep -qx 'exit 0' || verdict=FAILED
    echo "$verdict $name: screens [$seen], device [$got]; expected [$screens], [$outcome]${why:+ (under wine: $why)}"
    if [[ $verdict != ok ]]; then
        failures=$((failures + 1))
        cat "$out/summary.txt"
    fi
done < "$cases"
[[ $failures -eq 0 ]] || { echo "$failures keyboard cases failed"; exit 1; }
echo "Every keyboard case ended as the table says."
