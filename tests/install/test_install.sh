#!/usr/bin/env bash
# Installs the build into a temporary prefix, moves the prefix elsewhere and
# uses it as a new user would: the programs find their libraries and modules
# in the prefix alone, and the first start creates the profile.
#
#   tests/install/test_install.sh BUILD_DIR
set -euo pipefail
here="$(cd "$(dirname "$0")" && pwd)"
. "$here/common.sh"
build="$1"
tmp="$(mktemp -d)"
trap 'rm -rf "$tmp"' EXIT

cmake --install "$build" --prefix "$tmp/first/prefix" >"$tmp/install.log"
# Wherever the prefix is: it must work after a move.
mv "$tmp/first/prefix" "$tmp/moved"
prefix="$tmp/moved"
pkg="$prefix/lib/corvane"

for file in bin/Corvane bin/Harvester bin/CVRepair bin/cvcheck bin/cvproject bin/corvane-setup bin/demo-engine \
    lib/corvane/libcorvane_core.so lib/corvane/libcorvane_ui.so \
    lib/corvane/CVDBRoutines.so lib/corvane/CVReports.so lib/corvane/CVSettings.so \
    share/applications/io.github.corvane.Corvane.desktop share/applications/io.github.corvane.Harvester.desktop \
    share/icons/hicolor/scalable/apps/corvane.svg share/icons/hicolor/scalable/apps/harvester.svg \
    share/metainfo/io.github.corvane.Corvane.metainfo.xml; do
    [ -e "$prefix/$file" ] || fail "$file is not installed"
done
for size in 16 22 24 32 48 64 128 256; do
    for icon in corvane harvester; do
        png="$prefix/share/icons/hicolor/${size}x${size}/apps/$icon.png"
        [ -f "$png" ] || fail "no $size px icon $icon"
        # The PNG header names its size.
        [ "$(od -An -tx1 -j16 -N8 "$png" | tr -d ' \n')" = "$(printf '%08x%08x' "$size" "$size")" ] \
            || fail "$png is not $size px"
    done
done
for page in Corvane Harvester cvcheck CVRepair corvane-setup cvproject; do
    man="$prefix/share/man/man1/$page.1"
    [ -f "$man" ] || fail "no man page $page"
    grep -q '@CORVANE_VERSION@' "$man" && fail "$page.1 still holds a placeholder"
    warnings="$(groff -man -Tutf8 -ww -z "$man" 2>&1)"
    [ -z "$warnings" ] || fail "man page $page: $warnings"
done

# Links in bin/ are relative, into lib/corvane.
[ "$(readlink "$prefix/bin/Corvane")" = "../lib/corvane/Corvane" ] || fail "bin/Corvane is not a relative link"
# Every ELF file of the prefix looks for libraries beside itself only, and finds them all.
for elf in "$pkg"/*; do
    runpath="$(readelf -d "$elf" | sed -n 's/.*R\(UN\)\{0,1\}PATH.*\[\(.*\)\]/\2/p')"
    [ "$runpath" = '$ORIGIN' ] || fail "$(basename "$elf") has the search path '$runpath'"
    missing="$(env -i ldd "$elf" | grep 'not found' || true)"
    [ -z "$missing" ] || fail "$(basename "$elf") misses $missing"
    env -i ldd "$elf" | grep -q "$build" && fail "$(basename "$elf") loads a library of the build tree"
done

appstreamcli validate --no-net --strict "$prefix/share/metainfo/io.github.corvane.Corvane.metainfo.xml" >"$tmp/appstream.log" 2>&1 \
    || { cat "$tmp/appstream.log" >&2; fail "the AppStream metadata does not validate"; }
for desktop in "$prefix"/share/applications/*.desktop; do
    grep -q '^Type=Application$' "$desktop" || fail "$desktop: no Type"
    exec_name="$(sed -n 's/^Exec=\([^ ]*\).*/\1/p' "$desktop")"
    icon="$(sed -n 's/^Icon=//p' "$desktop")"
    [ -e "$prefix/bin/$exec_name" ] || fail "$desktop starts $exec_name, which is not installed"
    [ -f "$prefix/share/icons/hicolor/scalable/apps/$icon.svg" ] || fail "$desktop names the icon $icon, which is not installed"
done

# Help needs no profile and no display, and creates nothing.
as_new_user "$tmp/help-home" "$prefix/bin/Harvester" --help | grep -q '^Usage: Harvester' || fail "Harvester --help"
as_new_user "$tmp/help-home" "$prefix/bin/cvcheck" --help | grep -q -- '--term' || fail "cvcheck --help"
[ ! -e "$tmp/help-home" ] || fail "--help created files in the home folder"

# A first start from the command line creates the profile; the projects list is empty.
mkdir "$tmp/home"
as_new_user "$tmp/home" "$prefix/bin/cvproject" list >"$tmp/list.out" 2>"$tmp/list.err" \
    || { cat "$tmp/list.err" >&2; fail "cvproject list on a first start"; }
check_profile "$tmp/home"
# The new profile works: a project with the starter demo engine, then listed.
name='Café"Bleu"&<b>'
as_new_user "$tmp/home" "$prefix/bin/cvproject" create "$name" --engine "Corvane Demo" --term "blue widgets" \
    --url "Ours=site-239.example" --key-url Ours >"$tmp/create.out" 2>&1 || { cat "$tmp/create.out" >&2; fail "cvproject create"; }
as_new_user "$tmp/home" "$prefix/bin/cvproject" list | grep -qF "$name" || fail "the new project is not listed"

# XDG folders elsewhere are honoured.
mkdir "$tmp/xdg-home"
env -i HOME="$tmp/xdg-home" XDG_CONFIG_HOME="$tmp/xdg-config" XDG_DATA_HOME="$tmp/xdg-data" PATH=/usr/bin:/bin \
    "$prefix/bin/cvproject" list >/dev/null 2>&1 || fail "cvproject list with XDG folders set"
[ -f "$tmp/xdg-config/Corvane/registry.reg" ] && [ -f "$tmp/xdg-data/Corvane/Data/CVProject.dat" ] \
    || fail "the profile is not in XDG_CONFIG_HOME and XDG_DATA_HOME"

check_corvane_starts "$prefix/bin/Corvane" "$tmp/gui-home"
echo "installed size: $(du -sk "$prefix" | cut -f1) KiB"
