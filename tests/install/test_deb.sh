#!/usr/bin/env bash
# Builds the Debian package with CPack and uses it as a user would: the
# package's dependencies are computed from the binaries, and the files
# unpacked into a fresh root folder (dpkg -x) run from there.
#
#   tests/install/test_deb.sh BUILD_DIR
set -euo pipefail
here="$(cd "$(dirname "$0")" && pwd)"
. "$here/common.sh"
build="$1"
tmp="$(mktemp -d)"
trap 'rm -rf "$tmp"' EXIT

(cd "$tmp" && cpack -G DEB --config "$build/CPackConfig.cmake" -B "$tmp/out" >"$tmp/cpack.log" 2>&1) \
    || { cat "$tmp/cpack.log" >&2; fail "cpack -G DEB"; }
deb="$(ls "$tmp"/out/*.deb)"
[ -f "$deb" ] || fail "no package was written"

depends="$(dpkg-deb -f "$deb" Depends)"
echo "package: $(basename "$deb")"
echo "Depends: $depends"
echo "Installed-Size: $(dpkg-deb -f "$deb" Installed-Size) KiB"
for wanted in libqt6core6 libqt6widgets6 libqt6charts6 libsqlite3-0 libcurl4 libc6; do
    grep -q "\b$wanted\b" <<<"$depends" || fail "the dependencies do not name $wanted"
done
# The program's own libraries come with the package, never as a dependency.
grep -q corvane <<<"$depends" && fail "the package depends on its own libraries"

# No file of the package may come from the build tree or name it.
dpkg-deb -c "$deb" >"$tmp/contents"
grep -q ' ./usr/bin/Corvane -> ../lib/corvane/Corvane$' "$tmp/contents" || fail "no /usr/bin/Corvane link"
grep -q ' ./usr/share/metainfo/io.github.corvane.Corvane.metainfo.xml$' "$tmp/contents" || fail "no AppStream metadata"

root="$tmp/root"
dpkg -x "$deb" "$root"
as_new_user "$tmp/home" "$root/usr/bin/Harvester" --help | grep -q '^Usage: Harvester' || fail "Harvester --help from the package"
as_new_user "$tmp/home" "$root/usr/bin/cvcheck" --help | grep -q -- '--term' || fail "cvcheck --help from the package"
check_corvane_starts "$root/usr/bin/Corvane" "$tmp/gui-home"
