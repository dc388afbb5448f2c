#!/bin/bash
# on_own_display.sh COMMAND... -- runs the command on an X display of its own, ended
# with it; its status is the command's.
set -eu
source "$(dirname "$0")/x_display.sh"
start_display
trap 'kill $display 2>/dev/null || true' EXIT
status=0
"$@" || status=$?
exit $status
