# Sourced by the scripts that show wine's windows: start_wine_session starts a display
# of its own (start_display) for wine in the prefix given, and on exit ends the
# display, wine and the simulated device whose process the script puts in $device.
source "$(dirname "${BASH_SOURCE[0]}")/../support/x_display.sh"

start_wine_session() {
    export WINEPREFIX=$1 WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
    start_display
    device=
    trap 'kill $device $display 2>/dev/null || true; wineserver -k 2>/dev/null || true' EXIT
    [[ -d $WINEPREFIX ]] || wineboot --init >/dev/null 2>&1
    sleep 1
}
