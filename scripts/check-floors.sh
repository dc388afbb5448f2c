#!/usr/bin/env bash
# The folders are floors, and a file may stand only on its own floor and those below:
#   platform, firmware  <  session  <  ui  <  web  <  tftp  <  app  <  frontends  <  drivers, generators, sim  <  bench
# (folders on one floor do not lean on each other). Reads
# every '#include "folder/..."' of the floors' sources and names each one that runs
# up; also any toolkit or Win32 header in ui/, the seam every front-end shares.
# The tests stand outside the house and may include anything.
set -euo pipefail
cd "$(dirname "$0")/.."

declare -A floor=([platform]=0 [firmware]=0 [session]=1 [ui]=2 [web]=3 [tftp]=4 [app]=5 [frontends]=6 [drivers]=7
                  [generators]=7 [sim]=7 [bench]=8)
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
done < <(find platform firmware session ui web tftp app frontends drivers generators sim bench -type f \
             \( -name '*.h' -o -name '*.cpp' -o -name '*.in' \) -print0)

toolkit=$(grep -rnE '^[[:space:]]*#[[:space:]]*include[[:space:]]*<(Q[A-Za-z]|qt|windows|winsock|ws2|commctrl|wingdi|winuser)' \
          ui || true)
if [[ -n $toolkit ]]; then
    echo "$toolkit" | sed 's/$/  (a toolkit or Win32 header in ui\/)/'
    faults=$((faults + $(echo "$toolkit" | wc -l)))
fi

if ((faults > 0)); then
    echo "$faults include(s) against the floors"
    exit 1
fi
echo "every include stands on its own floor or below"
