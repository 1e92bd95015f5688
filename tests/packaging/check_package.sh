#!/usr/bin/env bash
# Builds the .deb, checks it with lintian, unpacks it into a scratch root and checks what a
# desktop installs from it.
set -euo pipefail
build=$1
desktop_id=org.saplogoneditor.Editor
component_id=org.saplogoneditor.editor
scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT
fail() {
    echo "$*"
    exit 1
}

(cd "$build" && cpack -G DEB -B "$scratch/out" >"$scratch/cpack.log" 2>&1) || { cat "$scratch/cpack.log"; exit 1; }
deb=$(ls "$scratch"/out/*.deb)

# Errors and warnings fail; an override would need its reason written beside it.
lintian --fail-on error,warning "$deb" >"$scratch/lintian.txt" 2>&1 || { cat "$scratch/lintian.txt"; fail "lintian"; }

# Qt loads the SVG plugins at run time, where the library scan cannot see them.
depends=$(dpkg-deb --field "$deb" Depends)
for needed in libqt6svg6 libqt6widgets6; do
    tr ',' '\n' <<<"$depends" | grep -qE "^ *$needed( |$)" || fail "Depends lacks $needed: $depends"
done

root=$scratch/root
dpkg -x "$deb" "$root"
version=$(dpkg-deb --field "$deb" Version)
for exe in saplogon-editor saplogon-ini; do
    [ "$(env -u DISPLAY -u WAYLAND_DISPLAY "$root/usr/bin/$exe" --version)" = "$exe $version" ] ||
        fail "$exe --version does not name the package's version $version"
    MANWIDTH=80 man -l "$root/usr/share/man/man1/$exe.1.gz" >/dev/null
done
"$root/usr/bin/saplogon-ini" --help >"$scratch/help.txt"
# Every subcommand the tool lists is documented in the man page.
for cmd in keys read read-int read-bool entries generate normalize import renumber check; do
    grep -qw -- "$cmd" "$scratch/help.txt" || fail "--help lacks $cmd"
    zcat "$root/usr/share/man/man1/saplogon-ini.1.gz" | grep -q "^\.BI $cmd\b" || fail "man page lacks $cmd"
done

desktop-file-validate "$root/usr/share/applications/$desktop_id.desktop"
# Pedantic hints do not fail appstreamcli; here they do.
appstreamcli validate --pedantic --strict --no-net "$root/usr/share/metainfo/$component_id.metainfo.xml" \
    >"$scratch/appstream.txt" 2>&1 || { cat "$scratch/appstream.txt"; fail "appstreamcli"; }
! grep -E '^[EWIP]: ' "$scratch/appstream.txt" || fail "appstreamcli has remarks"
grep -q "<launchable type=\"desktop-id\">$desktop_id.desktop</launchable>" \
    "$root/usr/share/metainfo/$component_id.metainfo.xml" || fail "metainfo does not launch $desktop_id"
test -s "$root/usr/share/icons/hicolor/scalable/apps/$desktop_id.svg"
test -s "$root/usr/share/icons/hicolor/48x48/apps/$desktop_id.png"
test -s "$root/usr/share/icons/hicolor/256x256/apps/$desktop_id.png"
test -s "$root/usr/share/mime/packages/$desktop_id.xml"
echo "package ok: $(basename "$deb")"
