#!/usr/bin/env bash
# password_bytes.sh SIMULATOR WINDOWS_BUILD OUT_DIR PREFIX
# A password with letters beyond ASCII, the euro sign among them (in code page 1252,
# not in Latin-1), sent by the Windows programs under wine to the simulated device,
# which knows it only as bytes: the bytes of code page 1252 for the programs as they
# are, its UTF-8 bytes for the same programs under the UTF-8 page manifest. A Digest
# that the device accepts proves the bytes. On each page it is given
#   - to the desktop program, typed on the keyboard into the real password dialog;
#   - to the command-line program from a password file written in UTF-8;
#   - to the command-line program at its prompt, typed on a console's keyboard;
# and, to show that the device tells the pages apart, the command-line program with
# the file is refused by a device that knows the other page's bytes. In a network
# namespace of its own, on an Xvfb display (the console and the dialogs need one).
set -euo pipefail
simulator=$1 windows=$2 out=$3 prefix=$4

if [[ -z "${VOQ_PASSWORD_BYTES_IN_NAMESPACE:-}" ]]; then
    exec env VOQ_PASSWORD_BYTES_IN_NAMESPACE=1 unshare --map-root-user --net bash "$0" "$@"
fi
ip link set lo up
rm -rf "$out"
mkdir -p "$out"
# The typed text reaches the Windows programs through wine's reading of the command line.
export LC_ALL=C.UTF-8
# shellcheck source=display.sh
source "$(dirname "$0")/display.sh"
start_wine_session "$prefix"

typed='pässwörd€'
page_1252=$'p\xe4ssw\xf6rd\x80'
programs=$windows/tests/wine/programs
password_file=$out/password.txt
printf '%s\n' "$typed" > "$password_file"
cli_options=(--local-address 127.0.0.1 --restart-wait 1.5 --yes --json)

start_device() {  # LOG PASSWORD_BYTES
    "$simulator" --address 127.0.0.2 --password "$2" --qop auth --request-delay 50 --restart-time 500 > "$1" 2>&1 &
    device=$!
    sleep 0.3
}

stop_device() {
    kill $device 2>/dev/null || true
    wait $device 2>/dev/null || true
    device=
}

failures=0
verdict() {  # NAME OK DETAILS_FILE...
    local name=$1 ok=$2
    shift 2
    if [[ $ok == yes ]]; then
        echo "ok $name"
    else
        echo "FAILED $name"
        failures=$((failures + 1))
        for file in "$@"; do
            echo "--- $file"
            tr -d '\r' < "$file" | tail -n 40
        done
    fi
}

# The device's verdict on the credentials the program sent, as its log names it (a log
# that shows the device's password in 1252 is no text to grep).
accepted() { grep -aq ' -> 200 (authorized)' "$1" && ! grep -aqE ' -> 401 \((refused|response does not match)\)' "$1"; }

for page in 1252 utf-8; do
    if [[ $page == 1252 ]]; then
        bytes=$page_1252 other=$typed
        desktop=$windows/frontends/win32/voq-upgrade.exe cli=$windows/frontends/cli/voq-upgrade-cli.exe
    else
        bytes=$typed other=$page_1252
        desktop=$programs/voq-upgrade-utf8-page.exe cli=$programs/voq-upgrade-cli-utf8-page.exe
    fi

    case_dir=$out/$page-dialog
    mkdir -p "$case_dir"
    start_device "$case_dir/device.log" "$bytes"
    # Up to the confirm screen, which comes only after the device accepted the password.
    wine "$windows/drivers/win32/voq-win32-autopilot.exe" "$(winepath -w "$case_dir")" 127.0.0.2 unused \
        "$(winepath -w "$desktop")" "139=Tab,Return 101=address,Return 104='$typed,Return 103=Escape" \
        > "$case_dir/autopilot.log" 2>&1 || true
    stop_device
    ok=no
    grep -q '^screen 103 ' "$case_dir/summary.txt" && accepted "$case_dir/device.log" && ok=yes
    verdict "$page: the desktop program's password dialog" $ok "$case_dir/summary.txt" "$case_dir/device.log"

    case_dir=$out/$page-file
    mkdir -p "$case_dir"
    start_device "$case_dir/device.log" "$bytes"
    status=0
    timeout 150 wine "$cli" "${cli_options[@]}" --password-file "Z:$password_file" 127.0.0.2 \
        > "$case_dir/out.json" 2> "$case_dir/err.txt" || status=$?
    stop_device
    ok=no
    [[ $status == 0 ]] && grep -q '"outcome":"upgraded"' "$case_dir/out.json" && accepted "$case_dir/device.log" && ok=yes
    verdict "$page: the command-line program from a UTF-8 password file" $ok "$case_dir/out.json" "$case_dir/err.txt" \
        "$case_dir/device.log"

    case_dir=$out/$page-console
    mkdir -p "$case_dir"
    start_device "$case_dir/device.log" "$bytes"
    status=0
    timeout 150 wine "$programs/voq-console-typist.exe" "$typed" "$(winepath -w "$cli")" "${cli_options[@]}" 127.0.0.2 \
        > "$case_dir/out.json" 2> "$case_dir/err.txt" || status=$?
    stop_device
    ok=no
    [[ $status == 0 ]] && grep -q '"outcome":"upgraded"' "$case_dir/out.json" && accepted "$case_dir/device.log" &&
        grep -q 'Password for admin on VOQ@127.0.0.2' "$case_dir/err.txt" && ok=yes
    verdict "$page: the command-line program at its console prompt" $ok "$case_dir/out.json" "$case_dir/err.txt" \
        "$case_dir/device.log"

    case_dir=$out/$page-other-page
    mkdir -p "$case_dir"
    start_device "$case_dir/device.log" "$other"
    status=0
    timeout 150 wine "$cli" "${cli_options[@]}" --password-file "Z:$password_file" 127.0.0.2 \
        > "$case_dir/out.json" 2> "$case_dir/err.txt" || status=$?
    stop_device
    ok=no
    [[ $status == 3 ]] && grep -q '"outcome":"password"' "$case_dir/out.json" && ! grep -aq 'received [0-9]* bytes' \
        "$case_dir/device.log" && ok=yes
    verdict "$page: a device that knows the other page's bytes refuses them" $ok "$case_dir/out.json" \
        "$case_dir/err.txt" "$case_dir/device.log"
done

[[ $failures -eq 0 ]] || { echo "$failures password cases failed"; exit 1; }
echo "The same bytes went out from the dialog, the file and the console, on both pages."
