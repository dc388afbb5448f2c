#!/usr/bin/env bash
# walk_real_dialogs.sh SIMULATOR WINDOWS_BUILD SHOTS_DIR PREFIX
# The Windows program's real dialogs under wine on an Xvfb display, played through a
# whole upgrade by the autopilot against the simulated device; then every template
# once (the gallery), each kept as a PNG in SHOTS_DIR/templates. All of it runs in a
# network namespace of its own that has only loopback, so that the program's own
# address list (its host name's addresses) is loopback too and nothing leaves it.
set -euo pipefail
simulator=$1 windows=$2 shots=$3 prefix=$4

if [[ -z "${VOQ_WALK_IN_NAMESPACE:-}" ]]; then
    exec env VOQ_WALK_IN_NAMESPACE=1 unshare --map-root-user --net bash "$0" "$@"
fi
ip link set lo up
rm -rf "$shots"
mkdir -p "$shots"
# shellcheck source=display.sh
source "$(dirname "$0")/display.sh"
start_wine_session "$prefix"
"$simulator" --address 127.0.0.2 --password secret --qop auth --restart-time 2000 > "$shots/device.log" 2>&1 &
device=$!
sleep 1  # the device listening before the program reads its page

status=0
wine "$windows/drivers/win32/voq-win32-autopilot.exe" "$(winepath -w "$shots")" 127.0.0.2 secret \
    "$(winepath -w "$windows/frontends/win32/voq-upgrade.exe")" || status=$?
cat "$shots/summary.txt"
fail() { echo "FAILED: $*"; exit 1; }
[[ $status -eq 0 ]] || fail "the program's exit status was $status"
for screen in 139 101 104 103 111; do
    grep -q "^screen $screen " "$shots/summary.txt" || fail "screen $screen was not shown"
    [[ -s "$shots/$screen.png" ]] || fail "no screenshot of screen $screen"
done
grep -q '^screen 111 "VOQ@127.0.0.2 Upgrade Successful!"' "$shots/summary.txt" || fail "no success screen"
grep -q '^screen 104 "Enter Password Information"' "$shots/summary.txt" || fail "the password screen's caption"
! grep -q '^message' "$shots/summary.txt" || fail "a failure was reported"
grep -q 'received 734916 bytes' "$shots/device.log" || fail "the device did not receive the whole image"
echo "The walk through the real dialogs ended on the success screen."

# The run's support log, where the README tells a user to find it; never the password.
log_folder=$(echo "$prefix"/drive_c/users/*/AppData/Local/"VOQ Upgrade")
log=$(find "$log_folder" -name 'voq-upgrade-*.log' 2>/dev/null | sort | tail -n 1)
[[ -n $log ]] || fail "no support log in %LOCALAPPDATA%\\VOQ Upgrade"
cp "$log" "$shots/support.log"
for line in 'voq-upgrade.exe ' ', device 127.0.0.2' 'Authorization: Digest username="admin"' \
            'Phase: waiting for the read request' 'Transfer complete: ' 'Version expected ' \
            'Shown: VOQ@127.0.0.2 Upgrade Successful!'; do
    grep -qF "$line" "$log" || fail "the support log lacks '$line'"
done
! grep -q 'secret' "$log" || fail "the support log holds the password"
echo "The support log holds the run and not the password."

wine "$windows/drivers/win32/voq-win32-autopilot.exe" "$(winepath -w "$shots/templates")" 1.2.3.4 secret \
    "$(winepath -w "$windows/drivers/win32/voq-win32-gallery.exe")" || fail "the gallery did not end well"
for screen in 139 101 305 104 105 103 304 114 110 111; do
    [[ -s "$shots/templates/$screen.png" ]] || fail "no screenshot of template $screen"
done
grep -q '^screen 114 "Waiting For Firmware Download Request From VOQ"' "$shots/templates/summary.txt" ||
    fail "the waiting screen's caption"
echo "Every template drawn: $shots/templates"

# The names a screen reader hears, as the accessibility API gives them to the autopilot
# ("name SCREEN CONTROL ..."): checked where wine answers that API (wine 8 answers no
# window of another process, and leaves the annotation of a name unimplemented).
names=$shots/templates/summary.txt
if grep -q '^name 139 2 "' "$names"; then
    while IFS='|' read -r screen control name; do
        grep -qxF "name $screen $control \"$name\"" "$names" || fail "control $control of screen $screen is not named \"$name\""
    done <<'NAMES'
139|1021|Warning
101|1017|Your IP Address
101|1000|Please enter IP address of your VOQ:
101|1000.1|Please enter IP address of your VOQ: 1 of 4
101|1000.4|Please enter IP address of your VOQ: 4 of 4
104|1003|User
104|1005|Password
103|1002|Serial Number
103|1006|Product Name
114|1010|Waiting For Firmware Download Request From VOQ
111|1004|Firmware version now running:
NAMES
    echo "Every control named as its label says."
else
    echo "The accessibility API names no control of the program under this wine: names not checked."
fi

# Again at 200% scaling: the program declares itself aware of the monitor's DPI, so
# the system lays its dialogs out at that size rather than stretching a bitmap.
wine reg add 'HKCU\Control Panel\Desktop' /v LogPixels /t REG_DWORD /d 192 /f >/dev/null 2>&1
wineserver -w
status=0
wine "$windows/drivers/win32/voq-win32-autopilot.exe" "$(winepath -w "$shots/templates-192dpi")" 1.2.3.4 secret \
    "$(winepath -w "$windows/drivers/win32/voq-win32-gallery.exe")" || status=$?
wine reg add 'HKCU\Control Panel\Desktop' /v LogPixels /t REG_DWORD /d 96 /f >/dev/null 2>&1
[[ $status -eq 0 ]] || fail "the gallery at 192 DPI did not end well"
for screen in 139 101 305 104 105 103 304 114 110 111; do
    [[ -s "$shots/templates-192dpi/$screen.png" ]] || fail "no screenshot of template $screen at 192 DPI"
done
echo "Every template drawn at 192 DPI: $shots/templates-192dpi"
