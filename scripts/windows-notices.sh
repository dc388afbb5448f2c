#!/usr/bin/env bash
# windows-notices.sh: the copyright and licence notices of everything linked into the
# Windows programs, from the Debian packages that the cross build took it from.
set -euo pipefail
linked=(
    "CLI11, the command line's parser|libcli11-dev"
    "JSON for Modern C++, the command line's JSON|nlohmann-json3-dev"
    "The mingw-w64 runtime and its POSIX threads (winpthreads)|mingw-w64-x86-64-dev"
    "The GCC runtime libraries (libstdc++, libgcc), under the GCC Runtime Library Exception|gcc-mingw-w64-base"
)
echo "VOQ Upgrade for Windows links the following into voq-upgrade.exe and voq-upgrade-cli.exe."
for entry in "${linked[@]}"; do
    what=${entry%%|*}
    package=${entry##*|}
    copyright=/usr/share/doc/$package/copyright
    [[ -s $copyright ]] || { echo "windows-notices.sh: no $copyright" >&2; exit 1; }
    printf '\n%s\n%s\n\n' "$what" "$(printf '=%.0s' $(seq ${#what}))"
    cat "$copyright"
done
