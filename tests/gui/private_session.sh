#!/bin/sh
# private_session.sh COMMAND... -- runs the command in a D-Bus session of its own whose
# accessibility bus is its own too: the bus's socket lives in the runtime directory,
# which is otherwise shared by every test of the machine's user, and a screen reader
# of one test would read another test's windows.
set -eu
runtime=$(mktemp -d)
chmod 700 "$runtime"
trap 'rm -rf "$runtime"' EXIT
# Asking for the bus's address starts it: the toolkit waits for it to appear.
XDG_RUNTIME_DIR=$runtime dbus-run-session -- sh -c \
    'dbus-send --session --print-reply --dest=org.a11y.Bus /org/a11y/bus org.a11y.Bus.GetAddress >/dev/null && exec "$@"' \
    private-session "$@"
