#!/usr/bin/env bash
# Runs ctest with the given arguments inside a network namespace of its own, with
# only its loopback interface, brought up: the tests bind ports 69 and 80 on fixed
# loopback addresses, and here no second test run, simulator or server left running
# on this machine can hold them. As root the namespace is the network's alone;
# otherwise a user namespace comes with it, whose root may bind those ports.
#
# The second loopback address is for resolvers that look an IPv4 name up only once
# the machine has an address other than 127.0.0.1 (getaddrinfo's AI_ADDRCONFIG, which
# tftpd-hpa asks for); no test uses it.
set -euo pipefail
namespace=(unshare --net)
[[ $(id -u) -eq 0 ]] || namespace=(unshare --map-root-user --net)
exec "${namespace[@]}" sh -c 'ip link set lo up && ip address add 127.255.0.1/32 dev lo && exec ctest "$@"' ctest "$@"
