#!/usr/bin/env bash
# check_windows_imports.sh PROGRAM.exe...: fails on any DLL that a program imports and a
# fresh Windows lacks (windows_system_dlls.txt), and on a program without address-space
# randomisation of high entropy or without no-execute data.
set -euo pipefail
allowed=$(dirname "$0")/windows_system_dlls.txt
failures=0
for program in "$@"; do
    headers=$(x86_64-w64-mingw32-objdump -p "$program")
    while read -r dll; do
        lower=${dll,,}
        found=no
        while read -r pattern; do
            [[ -z $pattern || $pattern == \#* ]] && continue
            # shellcheck disable=SC2053
            [[ $lower == $pattern ]] && found=yes && break
        done <"$allowed"
        [[ $found == yes ]] || { echo "FAIL: $(basename "$program") imports $dll, which a fresh Windows lacks"; failures=$((failures + 1)); }
    done < <(sed -n 's/^\s*DLL Name: //p' <<<"$headers")
    for characteristic in HIGH_ENTROPY_VA DYNAMIC_BASE NX_COMPAT; do
        grep -q "^\s*$characteristic\$" <<<"$headers" ||
            { echo "FAIL: $(basename "$program") is built without $characteristic"; failures=$((failures + 1)); }
    done
done
((failures == 0)) || exit 1
echo "$# program(s) import only what Windows has, with ASLR of high entropy and no-execute data"
