# Sourced: start_display starts Xvfb on the first free display number and exports
# DISPLAY, the server's process in $display. The number is the server's own choice
# (-displayfd): its lock files are shared by every namespace of the machine, so a fixed
# number meets another run's server, and two runs that look for a free one at once
# (as xvfb-run -a does) may both take the same.
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
