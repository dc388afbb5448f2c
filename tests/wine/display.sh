# Sourced by the scripts that show wine's windows: start_display starts Xvfb on the
# first free display number and exports DISPLAY, the server's process in $display;
# start_wine_session does that for wine in the prefix given, and on exit ends the
# display, wine and the simulated device whose process the script puts in $device.
# The number is the server's own choice (-displayfd): its lock files are shared by
# every namespace of the machine, so a fixed number meets another run's server.
start_display() {
    local number_file
    number_file=$(mktemp)
    Xvfb -displayfd 3 -screen 0 1024x768x24 -nolisten tcp 3>"$number_file" >/dev/null 2>&1 &
    display=$!
    for _ in $(seq 100); do
        [[ -s $number_file ]] && break
        sleep 0.1
    done
    DISPLAY=:$(head -n 1 "$number_file")
    export DISPLAY
    rm -f "$number_file"
}

start_wine_session() {
    export WINEPREFIX=$1 WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
    start_display
    device=
    trap 'kill $device $display 2>/dev/null || true; wineserver -k 2>/dev/null || true' EXIT
    [[ -d $WINEPREFIX ]] || wineboot --init >/dev/null 2>&1
    sleep 1
}
