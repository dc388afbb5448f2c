#!/usr/bin/env bash
# The Debian package of the Linux program, built from the build folder given, and
# what is in it: the program, a valid menu entry whose icon is in the icon theme, the
# copyright, the Qt libraries and setcap among its dependencies, and a postinst that
# grants the capability to bind port 69 and lets the installation go on when it
# cannot.
set -euo pipefail
build=$(cd "$1" && pwd)
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
failures=0
fail() { echo "FAIL: $*"; failures=$((failures + 1)); }

cpack --config "$build/CPackConfig.cmake" -G DEB -B "$work/out" > "$work/cpack.log" 2>&1 ||
    { cat "$work/cpack.log"; echo "FAIL: cpack"; exit 1; }
packages=("$work"/out/voq-upgrade_*_*.deb)
[[ -f ${packages[0]} ]] || { echo "FAIL: no package in $work/out"; exit 1; }
package=${packages[0]}
echo "built $(basename "$package")"

depends=$(dpkg-deb -f "$package" Depends)
for needed in libqt6core6 libqt6gui6 libqt6widgets6 libcap2-bin qt6-qpa-plugins; do
    [[ ", $depends," == *", $needed "* || ", $depends," == *", $needed,"* ]] || fail "Depends lacks $needed: $depends"
done
[[ $(dpkg-deb -f "$package" Package) == voq-upgrade ]] || fail "package name"

root=$work/root
dpkg-deb -x "$package" "$root"
program=$root/usr/bin/voq-upgrade
[[ -x $program ]] && file -b "$program" | grep -q '^ELF' || fail "usr/bin/voq-upgrade is not an executable program"
entry=$root/usr/share/applications/voq-upgrade.desktop
desktop-file-validate "$entry" || fail "desktop-file-validate"
grep -qx 'Exec=voq-upgrade' "$entry" || fail "the menu entry does not start voq-upgrade"
icon=$(sed -n 's/^Icon=//p' "$entry")
for size in 16 32 48 64 128 256; do
    png=$root/usr/share/icons/hicolor/${size}x${size}/apps/$icon.png
    file -b "$png" 2>/dev/null | grep -q "^PNG image data, $size x $size," || fail "no ${size}x$size icon $icon.png"
done
[[ -s $root/usr/share/doc/voq-upgrade/copyright ]] || fail "no copyright file"
zcat "$root/usr/share/man/man1/voq-upgrade.1.gz" | grep -q '^\.TH VOQ-UPGRADE 1' || fail "no manual page"
cli=$root/usr/bin/voq-upgrade-cli
[[ -x $cli ]] && file -b "$cli" | grep -q '^ELF' || fail "usr/bin/voq-upgrade-cli is not an executable program"
zcat "$root/usr/share/man/man1/voq-upgrade-cli.1.gz" | grep -q '^\.TH VOQ-UPGRADE-CLI 1' || fail "no manual page for voq-upgrade-cli"
zcat "$root/usr/share/man/man1/voq-upgrade-cli.1.gz" | grep -q '^\.SH EXIT STATUS' || fail "voq-upgrade-cli's page lists no exit status"
completion=$root/usr/share/bash-completion/completions/voq-upgrade-cli
bash -c "source '$completion' && complete -p voq-upgrade-cli" >/dev/null 2>&1 || fail "no bash completion for voq-upgrade-cli"

control=$work/control
dpkg-deb -e "$package" "$control"
postinst=$control/postinst
[[ -x $postinst ]] || fail "no executable postinst"
sh -n "$postinst" || fail "postinst does not parse"

# The postinst with a setcap that records what it is asked, then with one that fails.
mkdir "$work/bin"
printf '#!/bin/sh\necho "$@" >> "%s"\n' "$work/granted" > "$work/bin/setcap"
chmod +x "$work/bin/setcap"
PATH=$work/bin:$PATH sh "$postinst" configure || fail "postinst configure failed"
[[ $(cat "$work/granted" 2>/dev/null) == "cap_net_bind_service=+ep /usr/bin/voq-upgrade"$'\n'"cap_net_bind_service=+ep /usr/bin/voq-upgrade-cli" ]] ||
    fail "postinst did not grant the capability to both programs: $(cat "$work/granted" 2>/dev/null)"
printf '#!/bin/sh\nexit 1\n' > "$work/bin/setcap"
warning=$(PATH=$work/bin:$PATH sh "$postinst" configure 2>&1) || fail "postinst fails when setcap does"
[[ $warning == *"10069 to 10168"* ]] || fail "postinst says nothing when setcap fails: $warning"

if ((failures > 0)); then
    echo "$failures problem(s) with $(basename "$package")"
    exit 1
fi
echo "the package holds what it should"
