#!/usr/bin/env bash
# The two floor checks against a small house of their own: each case changes one thing
# in a tree that passes and names the answer the check must give.
set -euo pipefail
scripts=$(cd "$(dirname "$0")/../../scripts" && pwd)
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

# ground < middle, side (one floor) < top
house() {
    rm -rf "$work/root" && mkdir -p "$work/root" && cd "$work/root"
    mkdir -p cmake ground middle side top ui docs
    printf '# a comment\n0 ground core\n1 middle core\n1 side   tool\n2 top    program\n' > cmake/floors.txt
    echo '#pragma once' > ground/a.h
    printf '#include "ground/a.h"\n#include <vector>\n' > middle/b.cpp
    printf '#include "ground/a.h"\n' > side/c.cpp
    printf '#include "middle/b.h"\n#include "side/c.h"\n#include "tests/anything.h"\n' > top/d.cpp
    echo '#include "ground/a.h"' > ui/e.h
    cat > README.md <<'TABLE'
# House
<!-- floors -->
| folder | kind | what it holds |
|---|---|---|
| `top/` | program | the program |
| `side/` | tool | a tool |
| `middle/` | core | the middle |
| `ground/` | core | the ground |
| `tests/` | tests | outside the house |
<!-- /floors -->
TABLE
}

# check | expected status | what the case changes
cases=$(cat <<'CASES'
check-floors.sh|0|true
check-floors.sh|1|echo '#include "top/d.h"' >> middle/b.cpp
check-floors.sh|1|echo '#include "side/c.h"' >> middle/b.cpp
check-floors.sh|1|echo ' #  include "middle/b.h"' >> ground/a.h
check-floors.sh|1|echo '#include <QWidget>' >> ui/e.h
check-floors.sh|1|echo '#include <windows.h>' >> ui/e.h
check-floors.sh|0|echo '#include <QWidget>' >> top/d.cpp
check-floors.sh|0|echo '#include "nowhere/x.h"' >> ground/a.h
check-floors.sh|1|sed -i 's/^2 top/0 top/' cmake/floors.txt
check-floors.sh|0|echo '3 roof tool' >> cmake/floors.txt && mkdir roof && echo '#include "top/d.h"' > roof/f.cpp
check-floors.sh|1|echo '3 roof tool' >> cmake/floors.txt && mkdir roof && echo '#include "roof/f.h"' >> top/d.cpp
check-floors.sh|1|echo '# nothing' > cmake/floors.txt
check-floor-table.sh|0|true
check-floor-table.sh|0|mv README.md docs/house.md && echo '# House' > README.md
check-floor-table.sh|1|cp README.md docs/house.md
check-floor-table.sh|1|sed -i '/floors -->/d' README.md
check-floor-table.sh|1|sed -i '/\/floors -->/d' README.md
check-floor-table.sh|1|sed -i '/`middle\/`/d' README.md
check-floor-table.sh|1|sed -i 's/| program |/| tool |/' README.md
check-floor-table.sh|1|sed -i '/`top\/`/d' README.md && sed -i 's/^| `ground\/`.*/&\n| `top\/` | program | the program |/' README.md
check-floor-table.sh|1|sed -i 's/^| `ground\/` | core | the ground |/&\n| `ground\/` | core | again |/' README.md
check-floor-table.sh|0|sed -i 's/^| `tests\/` | tests |/| `tests\/` | core |/' README.md
check-floor-table.sh|1|echo '3 roof tool' >> cmake/floors.txt
check-floor-table.sh|0|echo '3 roof tool' >> cmake/floors.txt && sed -i 's/^|---|---|---|/&\n| `roof\/` | tool | the roof |/' README.md
CASES
)

failures=0
while IFS='|' read -r check expected change; do
    house
    eval "$change"
    status=0
    output=$("$scripts/$check" "$work/root" 2>&1) || status=$?
    if [[ $status != "$expected" ]]; then
        echo "FAIL: $check after '$change': status $status, expected $expected"
        sed 's/^/    /' <<< "$output"
        failures=$((failures + 1))
    fi
done <<< "$cases"

if ((failures > 0)); then
    echo "$failures case(s) failed"
    exit 1
fi
echo "$(wc -l <<< "$cases") cases passed"
