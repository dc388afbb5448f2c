#!/usr/bin/env bash
# Installs, from Debian's archive, whichever of the named packages are missing.
# Nothing is done when all are there, so the common case costs one dpkg query.
set -euo pipefail

missing=()
for package in "$@"; do
    status=$(dpkg-query -W -f='${Status}' "$package" 2>/dev/null || true)
    [[ "$status" == "install ok installed" ]] || missing+=("$package")
done
[[ ${#missing[@]} -eq 0 ]] && exit 0

echo "Installing missing packages: ${missing[*]}"
if [[ $(id -u) -eq 0 ]]; then
    as_root=()
elif command -v sudo >/dev/null; then
    as_root=(sudo)
else
    echo "These packages are needed: ${missing[*]}; install them as root (apt-get install)." >&2
    exit 1
fi
# Servers the tests start themselves (lighttpd, tftpd-hpa) must not also be started as
# system services by their installation: they would hold the ports the tests use.
policy=/usr/sbin/policy-rc.d
placed_policy=
if [[ ! -e $policy ]]; then
    printf '#!/bin/sh\nexit 101\n' | "${as_root[@]}" tee "$policy" >/dev/null
    "${as_root[@]}" chmod +x "$policy"
    placed_policy=yes
fi
trap '[[ -n $placed_policy ]] && "${as_root[@]}" rm -f "$policy"' EXIT

"${as_root[@]}" apt-get update -q
DEBIAN_FRONTEND=noninteractive "${as_root[@]}" apt-get install -y -q --no-install-recommends "${missing[@]}"
