#!/usr/bin/env bash
# Checks an installed tree, an unpacked package (check-tree.sh ROOT PREFIX) or the install step of a
# build into a scratch folder (check-tree.sh --install BUILD PREFIX): the list of installed files
# names exactly the files there, the desktop entry and the metainfo pass their validators, and what
# the entry and the unit start is there. PREFIX is the prefix the tree was installed for.
set -uo pipefail
if [ "$1" = --install ]; then
    root=$(mktemp -d)
    trap 'rm -rf "$root"' EXIT
    DESTDIR="$root" cmake --install "$2" >/dev/null || { echo "FAIL: cmake --install $2"; exit 1; }
    shift
else
    root="$1"
fi
prefix="$2"
status=0
fail() {
    echo "FAIL: $*"
    status=1
}

manifest="$prefix/share/kelvask-brevant/installed-files"
[ -f "$root$manifest" ] || { echo "FAIL: $manifest is not installed"; exit 1; }
if ! diff <(sort "$root$manifest") <(cd "$root" && find . \( -type f -o -type l \) | sed 's|^\.||' | sort); then
    fail "$manifest does not list exactly the installed files (< listed only, > installed only)"
fi

desktop="$root$prefix/share/applications/dev.kelvask.brevant.desktop"
desktop-file-validate "$desktop" || fail "desktop-file-validate"
appstreamcli validate --no-net "$root$prefix/share/metainfo/dev.kelvask.brevant.metainfo.xml" || fail "appstreamcli"

grep -qx 'Icon=dev.kelvask.brevant' "$desktop" || fail "the desktop entry names another icon"
for icon in scalable/apps/dev.kelvask.brevant.svg 48x48/apps/dev.kelvask.brevant.png; do
    [ -f "$root$prefix/share/icons/hicolor/$icon" ] || fail "icon $icon is missing"
done
program=$(sed -n 's/^Exec=//p' "$desktop")
[ -x "$root$prefix/bin/$program" ] || fail "the desktop entry starts $program, which is not in $prefix/bin"
unit=$(find "$root" -path '*/systemd/system/dev.kelvask.brevant.service' | head -1)
daemon=$(sed -n 's/^ExecStart=\([^ ]*\).*/\1/p' "$unit" 2>/dev/null)
if [ -z "$daemon" ] || [ ! -x "$root$daemon" ]; then
    fail "the unit starts '$daemon', which is not installed"
fi
exit $status
