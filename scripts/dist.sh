#!/usr/bin/env bash
# dist.sh: what a user downloads, in dist/: the Windows programs in a zip, the Debian
# package of the Linux programs, SHA256SUMS over both, and the debug information apart
# in dist/symbols/. The same commit gives the same bytes wherever and whenever it is
# built: the commit's time stands for the build's, and no folder reaches a file.
set -euo pipefail
cd "$(dirname "$0")/.."
root=$PWD

SOURCE_DATE_EPOCH=$(git log -1 --format=%ct)
export SOURCE_DATE_EPOCH TZ=UTC LC_ALL=C.UTF-8
umask 022

cmake --preset dist >/dev/null
cmake --build --preset dist
cmake --preset dist-win >/dev/null
cmake --build --preset dist-win
version=$(sed -n 's/^CMAKE_PROJECT_VERSION:STATIC=//p' build-dist/CMakeCache.txt)
[[ -n $version ]] || { echo "dist.sh: no project version in build-dist/CMakeCache.txt" >&2; exit 1; }

rm -rf dist
mkdir -p dist/symbols/linux dist/symbols/windows
stage=$(mktemp -d)
trap 'rm -rf "$stage"' EXIT

# The Linux programs' debug information, found again by the build id that the
# package's stripped programs keep.
for program in build-dist/frontends/qt/voq-upgrade build-dist/frontends/cli/voq-upgrade-cli; do
    objcopy --only-keep-debug --compress-debug-sections "$program" "dist/symbols/linux/$(basename "$program").debug"
done
cpack --config build-dist/CPackConfig.cmake -G DEB -B "$stage/package" >"$stage/cpack.log" 2>&1 ||
    { cat "$stage/cpack.log" >&2; exit 1; }
cp "$stage"/package/voq-upgrade_"$version"_*.deb dist/

# The Windows programs stripped, each pointing at its debug information by name.
folder=voq-upgrade-$version
mkdir "$stage/$folder"
for program in build-dist-win/frontends/win32/voq-upgrade.exe build-dist-win/frontends/cli/voq-upgrade-cli.exe; do
    name=$(basename "$program")
    x86_64-w64-mingw32-objcopy --only-keep-debug "$program" "dist/symbols/windows/$name.debug"
    x86_64-w64-mingw32-objcopy --strip-all \
        --add-gnu-debuglink="dist/symbols/windows/$name.debug" "$program" "$stage/$folder/$name"
done
sed "s/@VERSION@/$version/g" frontends/win32/README.txt | sed 's/$/\r/' >"$stage/$folder/README.txt"
scripts/windows-notices.sh | sed 's/$/\r/' >"$stage/$folder/NOTICES.txt"
python3 scripts/deterministic_zip.py "dist/$folder-windows-x64.zip" "$stage" "$folder"

(cd dist && sha256sum -- *.zip *.deb >SHA256SUMS)
(cd dist/symbols && find . -type f -printf '%P\n' | sort | xargs sha256sum -- >"$stage/symbols.sums") &&
    mv "$stage/symbols.sums" dist/symbols/SHA256SUMS
echo "dist/ for $version at commit $(git rev-parse --short HEAD):"
(cd dist && ls -l -- *.zip *.deb SHA256SUMS)
echo "$root/dist"
