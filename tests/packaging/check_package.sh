#!/usr/bin/env bash
# Builds the .deb, unpacks it into a scratch root and checks what a desktop installs from it.
set -euo pipefail
build=$1
src=$2
id=org.saplogoneditor.Editor
scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT

(cd "$build" && cpack -G DEB -B "$scratch/out" >"$scratch/cpack.log" 2>&1) || { cat "$scratch/cpack.log"; exit 1; }
deb=$(ls "$scratch"/out/*.deb)
dpkg-deb --field "$deb" Depends | grep -q 'libqt6' || { echo "Depends lacks Qt: $(dpkg-deb --field "$deb" Depends)"; exit 1; }

root=$scratch/root
dpkg -x "$deb" "$root"
"$root/usr/bin/saplogon-ini" --help >"$scratch/help.txt"
grep -q 'generate' "$scratch/help.txt"
# Every subcommand the tool lists is documented in the man page.
for cmd in keys read read-int read-bool entries generate normalize import renumber; do
    grep -qw -- "$cmd" "$scratch/help.txt" || { echo "--help lacks $cmd"; exit 1; }
    zcat "$root/usr/share/man/man1/saplogon-ini.1.gz" | grep -q "^\.BI $cmd\b" || { echo "man page lacks $cmd"; exit 1; }
done
MANWIDTH=80 man -l "$root/usr/share/man/man1/saplogon-ini.1.gz" >/dev/null

desktop-file-validate "$root/usr/share/applications/$id.desktop"
appstreamcli validate --no-net "$root/usr/share/metainfo/$id.metainfo.xml" >/dev/null
test -s "$root/usr/share/icons/hicolor/scalable/apps/$id.svg"
test -s "$root/usr/share/icons/hicolor/48x48/apps/$id.png"
test -s "$root/usr/share/icons/hicolor/256x256/apps/$id.png"
test -s "$root/usr/share/mime/packages/$id.xml"
echo "package ok: $(basename "$deb")"
