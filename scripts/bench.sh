#!/usr/bin/env bash
# The benchmarks, on the default (optimised) build: the transfers against tftpd-hpa
# and the core's polling, then the Linux program's polling and peak memory. The
# figures go to the terminal and to build/bench/results.md.
set -euo pipefail
cd "$(dirname "$0")/.."
build=build
results="$build/bench/results.md"

# The program's part binds ports 69 and 80: as root as it is, otherwise in a user and
# network namespace of its own. The transfers need neither, and tftpd-hpa cannot run
# in such a namespace (it finds no address it may bind to).
in_namespace() {
    if [[ $(id -u) -eq 0 ]]; then
        "$@"
    else
        unshare --map-root-user --net sh -c 'ip link set lo up && exec "$@"' sh "$@"
    fi
}

{
    echo "# VOQ Upgrade benchmarks, $(date -u '+%Y-%m-%d %H:%M UTC')"
    echo
    "$build/bench/voq-bench" transfers
    in_namespace "$build/bench/voq-bench" product --programs "$build"
    in_namespace "$build/bench/voq-bench-fleet" --program "$build/frontends/cli/voq-upgrade-cli"
} | tee "$results"
echo "Written to $results"
