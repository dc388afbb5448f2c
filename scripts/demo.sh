#!/usr/bin/env bash
# The main job by hand: a password-protected simulated device on 127.0.0.2 and the
# desktop program. Without a display the same program runs on Qt's offscreen
# platform with an automatic user, and leaves a PNG of every screen in build/demo.
set -euo pipefail
cd "$(dirname "$0")/.."
build=build
user=admin
password=voq-demo

# The device's web server is on port 80 and the tool's TFTP server on port 69: as
# root that is allowed; otherwise in a user and network namespace of our own.
if [[ $(id -u) -ne 0 && -z "${VOQ_DEMO_IN_NAMESPACE:-}" ]]; then
    exec env VOQ_DEMO_IN_NAMESPACE=1 unshare --map-root-user --net bash -c 'ip link set lo up && exec "$0"' "$0"
fi

echo "Starting the simulated device on 127.0.0.2 (user \"$user\", password \"$password\")."
"$build/sim/voq-device-sim" --address 127.0.0.2 --password "$password" --user "$user" --qop auth \
    --restart-time 3000 > "$build/demo-device.log" 2>&1 &
device=$!
trap 'kill $device 2>/dev/null || true' EXIT
sleep 0.5

if [[ -n "${DISPLAY:-}${WAYLAND_DISPLAY:-}" ]]; then
    echo "Opening VOQ Upgrade: type 127.0.0.2 as the device's address, choose 127.0.0.1 as yours,"
    echo "and give the password above when it is asked for. The device's log: $build/demo-device.log"
    "$build/frontends/qt/voq-upgrade"
else
    shots="$build/demo"
    rm -rf "$shots"
    echo "No display: the program runs on Qt's offscreen platform with an automatic user."
    echo "It waits out the device's restart as long as it would for a real one."
    QT_QPA_PLATFORM=offscreen "$build/drivers/qt/voq-upgrade-autopilot" --shots "$shots" \
        --address 127.0.0.2 --password "$password" --local-address 127.0.0.1 2>/dev/null
    echo
    echo "Screens shown (a PNG of each is in $shots):"
    sed 's/^/  /' "$shots/summary.txt"
    echo "The device said:"
    sed 's/^voq-device-sim: /  /' "$build/demo-device.log"
fi
