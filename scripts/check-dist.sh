#!/usr/bin/env bash
# check-dist.sh: `make dist` twice from the commit checked out, in two clones in two
# different folders, one after the other, the second with no compiler cache to lend it
# the first's objects; every file of the two dist/ must be the same bytes. Then the
# downloads are checked where they land (tests/package/check_downloads.sh).
set -euo pipefail
cd "$(dirname "$0")/.."
root=$PWD
commit=$(git rev-parse HEAD)
[[ -z $(git status --porcelain --untracked-files=no) ]] ||
    echo "check-dist.sh: uncommitted changes are not in the clones; checking commit $commit"
work=$(mktemp -d "${TMPDIR:-/tmp}/voq-dist.XXXXXX")
trap 'rm -rf "$work"' EXIT

build() {
    local folder=$1
    git clone --quiet --shared --no-checkout "$root" "$folder"
    git -C "$folder" checkout --quiet --detach "$commit"
    local started=$SECONDS
    scripts_log=$folder.log
    make -C "$folder" dist >"$scripts_log" 2>&1 || { tail -n 40 "$scripts_log"; echo "FAIL: make dist in $folder"; exit 1; }
    echo "make dist in $folder: $((SECONDS - started)) s"
}
build "$work/first"
CCACHE_DISABLE=1 build "$work/elsewhere/second"

if ! diff -r "$work/first/dist" "$work/elsewhere/second/dist" >"$work/differences"; then
    cat "$work/differences"
    echo "FAIL: two builds of $commit differ"
    exit 1
fi
echo "two builds of $commit are the same bytes:"
(cd "$work/first/dist" && find . -type f -printf '%P\n' | sort | xargs sha256sum)
tests/package/check_downloads.sh "$work/first/dist"
