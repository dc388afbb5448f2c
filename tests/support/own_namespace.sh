#!/usr/bin/env bash
# own_namespace.sh COMMAND... -- runs the command in a network namespace of its own that
# has only loopback, brought up: a test there may take fixed addresses (127.0.0.2 for
# the device), and a program that lists its own host's addresses finds loopback alone.
# The namespace's root is this user, mapped, so that no privilege is needed.
set -euo pipefail
exec unshare --map-root-user --net sh -c 'ip link set lo up && exec "$@"' own-namespace "$@"
