#!/usr/bin/env bash
# check-floors.sh [ROOT]: reads every '#include "folder/..."' of the floors' sources and
# names each one that runs up the floors of cmake/floors.txt, or across to another folder
# on its own floor; also any toolkit or Win32 header in ui/, the seam every front-end
# shares. The tests stand outside the house and are not read.
set -euo pipefail
cd "${1:-$(dirname "$0")/..}"

declare -A floor=()
while read -r number folder _; do
    [[ $number =~ ^[0-9]+$ ]] && floor[$folder]=$number
done < cmake/floors.txt
if ((${#floor[@]} == 0)); then
    echo "cmake/floors.txt names no floor"
    exit 1
fi

folders=()
for folder in "${!floor[@]}"; do
    [[ -d $folder ]] && folders+=("$folder")
done

faults=0
while IFS= read -r -d '' file; do
    own=${file%%/*}
    while IFS=: read -r line included; do
        target=${included%%/*}
        [[ -n ${floor[$target]:-} && $target != "$own" ]] || continue
        if ((floor[$target] >= floor[$own])); then
            echo "$file:$line: includes $included, on floor '$target', which is not below '$own'"
            faults=$((faults + 1))
        fi
    done < <(grep -n '^[[:space:]]*#[[:space:]]*include[[:space:]]*"' "$file" |
             sed 's/^\([0-9]*\):[^"]*"\([^"]*\)".*/\1:\2/')
done < <(find "${folders[@]}" -type f \( -name '*.h' -o -name '*.cpp' -o -name '*.in' \) -print0)

toolkit=$(grep -rnE '^[[:space:]]*#[[:space:]]*include[[:space:]]*<(Q[A-Za-z]|qt|windows|winsock|ws2|commctrl|wingdi|winuser)' \
          ui 2>/dev/null || true)
if [[ -n $toolkit ]]; then
    echo "$toolkit" | sed 's/$/  (a toolkit or Win32 header in ui\/)/'
    faults=$((faults + $(echo "$toolkit" | wc -l)))
fi

if ((faults > 0)); then
    echo "$faults include(s) against the floors"
    exit 1
fi
echo "every include stands on its own floor or below"
